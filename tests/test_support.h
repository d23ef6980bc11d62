// Shared helpers of the test suite: one-time engine initialisation (tables and small caches)
// and position set-up from FEN with the FEN reader's chatter kept off the test output.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/types.h"

// Builds the static tables and allocates small caches once per test process; also resets the
// settings the tests rely on (text mode off, so nothing is printed by the sizing routines).
void engine_init_for_tests();

constexpr const char* START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Upper bounds on how soon a running engine answers: a slow-check build checks every move in
// full and searches several times slower, so it reaches a depth and polls its input later.
#ifdef QUARVELIN_SLOW_CHECKS
constexpr long long ANSWER_SCALE = 4;
#else
constexpr long long ANSWER_SCALE = 1;
#endif

// Sets up a position from a FEN record, swallowing what lit_fen prints; returns its result.
int setup_fen(const std::string& fen);
// The legal moves of the current position, in the order the search's list has them (evasions in
// check, all moves otherwise), generated at a list far above the search's.
std::vector<Move> legal_moves();

// Sets up `fen` and plays the coordinate moves of `moves` ("e2e4 e7e5") on it.
void setup_and_play(const std::string& moves, const std::string& fen = START);

// Runs f with stdout captured and returns what it printed.
template <typename F>
std::string capture_stdout(F f);

// The position flipped top to bottom with the colours and the side to move exchanged; castling
// rights and the en-passant square are dropped. Only the first two FEN fields are read.
std::string colour_mirrored_fen(const std::string& fen);

// The mailbox square of a name such as "e4".
int square_named(const char* name);

// A fresh folder under /tmp, removed with its contents at the end; with `enter` it is also the
// working folder meanwhile (the book, the saved game and the reports are written there).
struct ScratchDir {
    std::filesystem::path dir, back;
    explicit ScratchDir(bool enter = false);
    ~ScratchDir();
    std::filesystem::path operator/(const std::string& name) const { return dir / name; }
};

// The lines of a text, without their line ends.
std::vector<std::string> lines_of(const std::string& text);

// The whole content of a file, "" when it cannot be read; the number of entries of a folder.
std::string file_text(const std::filesystem::path& path);
size_t entries_in(const std::filesystem::path& dir);

// The rows of a table under tests/data: every line that is neither blank nor a '#' comment, cut
// at each '|' into fields with the blanks around them removed. A number field may go on to show
// its arithmetic ("54 = 18 + 20 + 16"), which std::stoi leaves aside.
std::vector<std::vector<std::string>> data_rows(const std::string& name);

// Runs a shell command in `dir` with `input` as its whole standard input: its exit status (-1
// when it did not exit) and everything it wrote on both outputs.
struct CommandRun {
    int status;
    std::string out;
};
CommandRun run_command(const std::filesystem::path& dir, const std::string& command,
                       const std::string& input = "");

// What a child program writes on a descriptor (a pipe or a terminal), carriage returns dropped,
// read as it comes and matched in order: each pattern is searched after the previous match.
struct ChildOutput {
    int fd = -1;
    std::string out;
    size_t cursor = 0;

    // Waits up to 100 ms for more; false once the writer has gone.
    bool read_some();
    // The next text matching `pattern` within `seconds` (a test failure and "" otherwise); the
    // cursor stays before a final newline, so that the next pattern may begin with one.
    std::string expect(const std::string& pattern, int seconds = 20);
};

// The engine as a child process in a scratch folder that holds no book, or `book` as its
// bibli.bok; its input is a pipe, its output and errors are collected.
struct ChildEngine : ChildOutput {
    pid_t pid = -1;
    int to = -1;

    explicit ChildEngine(const std::vector<std::string>& args, const char* book = nullptr);
    ~ChildEngine() { finish(); }
    void send(const std::string& s);
    // Closes the input and waits (killing it after a minute): the exit status.
    int finish();
};

#include "test_support_impl.h"
