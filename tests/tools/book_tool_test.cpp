// The book builder run as a user runs it, in a scratch directory: the records it writes for an
// opening list and for games (checked record by record against keys computed by the engine),
// its weights, its errors and warnings, and the default book the build makes with it.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "book/book_file.h"
#include "core/makemove.h"
#include "core/setup.h"
#include "movegen/notation.h"
#include "test_support.h"
#include "tools/san.h"

namespace {

namespace fs = std::filesystem;
using Key = std::array<uint32_t, 3>;
using Records = std::map<Key, int>;  // key -> attrait (every score must be 0)

// A scratch folder to run the builder in.
struct ToolDir : ScratchDir {
    ToolDir() { engine_init_for_tests(); }
    void write(const char* name, const std::string& text) const
    {
        std::ofstream(dir / name, std::ios::binary) << text;
    }
    // Its exit status, and what it printed on both outputs.
    std::pair<int, std::string> run(const std::string& args) const
    {
        const CommandRun r = run_command(dir, "'" QUARVELIN_BOOK_TOOL "' " + args);
        return {r.status, r.out};
    }
};

// The records of a book file, which must be sorted by key and carry no score.
Records records_of(const fs::path& path)
{
    const BookFileContents file = read_book_file(path.c_str());
    EXPECT_EQ(file.status, BookFileStatus::OK) << path;
    Records records;
    for (int32_t i = 0; i < file.count; ++i) {
        const BookRecord& r = file.records[i];
        const Key key{r.key0, r.key1, r.key2};
        EXPECT_TRUE(records.empty() || records.rbegin()->first < key) << "record " << i;
        EXPECT_EQ(r.score, 0);
        records[key] = r.attrait;
    }
    std::free(file.records);
    return records;
}

// The book key after moves from the initial position (algebraic, or coordinates when `san` is
// false).
Key key_after(const std::string& moves, bool san = true)
{
    engine_init_for_tests();
    capture_stdout([] { init_echiquier(initial_board.data(), 1, 15, 0); });
    std::istringstream in(moves);
    for (std::string t; in >> t;) {
        Move m = 0;
        if (san)
            EXPECT_EQ(san_to_move(t.c_str(), &m), SanResult::OK) << t;
        else
            m = text_to_move(t.c_str());
        make_move(m);
    }
    const Key96 k = current_book_key();
    return {k.w[0], k.w[1], k.w[2]};
}

// The records of positions listed as "moves: weight, ..." from the initial position (": 1" alone
// is the initial position itself).
Records expected(const std::string& list)
{
    Records r;
    std::istringstream in(list);
    for (std::string item; std::getline(in, item, ',');) {
        const size_t colon = item.find(':');
        r[key_after(item.substr(0, colon))] = std::stoi(item.substr(colon + 1));
    }
    return r;
}

TEST(BookBuilder, OpeningListGivesEachPositionItsLargestLineWeight)
{
    ToolDir t;
    t.write("lines.txt",
            "# a comment line\n\n5 e2e4 e7e5   # a comment after the moves\n3 d2d4\n"
            "7 E2E4 c7c5\n0 g1f3\n2 g1f3 d7d5 d2d4\n1 d2d4 d7d5 g1f3\n");
    const auto [status, printed] = t.run("-o book.bok lines.txt");
    EXPECT_EQ(status, 0) << printed;
    EXPECT_EQ(printed,
              "quarvelin-book: 9 positions written to book.bok (6 lines, 0 games, "
              "0 skipped)\n");
    // 1.d4 d5 2.Nf3 and 1.Nf3 d5 2.d4 are one position: it takes the larger weight.
    EXPECT_EQ(
        records_of(t.dir / "book.bok"),
        expected(
            ": 1, e4: 7, e4 e5: 5, e4 c5: 7, d4: 3, d4 d5: 1, Nf3: 2, Nf3 d5: 2, Nf3 d5 d4: 2"));
}

const char* const CONSTRUCTS =
    "% an escaped line\n[Event \"Constructs\"]\n[White \"Alpha\"]\n[Black \"Beta\"]\n"
    "[Result \"1-0\"]\n\n1. e4 {a comment (with a parenthesis} e5 2. Nf3 $1 Nc6\n"
    "(2... d6 3. d4 ; a comment to the end of the line )\nexd4) 3. Bb5 a6 1-0\n\n"
    "[White \"Gamma\"]\n[Black \"Delta\"]\n1.e4 e5 2.Qh5 Nc6 3.Bc4 Nf6?? 4.Qxf7# 1-0\n"
    "[White \"Bad\"]\n[Black \"Move\"]\n1. e4 e5 2. Nf9 Nc6 0-1\n"
    "1. d4 d5 2. Nf3 Nf6 3. Nd2 *\n"
    "1. e4 c5 2. Nf3+ d6 1/2-1/2\n";

TEST(BookBuilder, GamesGiveCountsOrPointsAndBadGamesAreSkipped)
{
    ToolDir t;
    t.write("games.PGN", CONSTRUCTS);
    auto [status, printed] = t.run("-o book.bok --plies 4 games.PGN");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(printed,
              "quarvelin-book: warning: games.PGN:16: game 3 (Bad - Move): 'Nf9': unreadable "
              "move; game skipped\n"
              "quarvelin-book: 14 positions written to book.bok (0 lines, 4 games, 1 skipped)\n");
    EXPECT_EQ(records_of(t.dir / "book.bok"),
              expected(": 1, e4: 3, e4 e5: 2, e4 e5 Nf3: 1, e4 e5 Nf3 Nc6: 1, e4 e5 Qh5: 1, e4 e5 "
                       "Qh5 Nc6: 1, d4: 1, d4 d5: 1, d4 d5 Nf3: 1, d4 d5 Nf3 Nf6: 1, e4 c5: 1, e4 "
                       "c5 Nf3: 1, e4 c5 Nf3 d6: 1"));

    // Control bytes of the file are shown escaped: a NUL does not cut the warning short.
    t.write("control.pgn", std::string("1. e4 e\0\x1b"
                                       "5 *\n",
                                       13));
    std::tie(status, printed) = t.run("-o book.bok control.pgn");
    EXPECT_NE(printed.find("game 1: 'e\\x00\\x1b5': unreadable move; game skipped\n"),
              std::string::npos)
        << printed;

    // By results: 2 for each win and 1 for each draw of the side that moved into the position;
    // an unfinished game gives nothing.
    std::tie(status, printed) = t.run("-o book.bok -p 4 -w results games.PGN");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(records_of(t.dir / "book.bok"),
              expected(": 1, e4: 5, e4 e5: 0, e4 e5 Nf3: 2, e4 e5 Nf3 Nc6: 0, e4 e5 Qh5: 2, e4 e5 "
                       "Qh5 Nc6: 0, d4: 0, d4 d5: 0, d4 d5 Nf3: 0, d4 d5 Nf3 Nf6: 0, e4 c5: 1, e4 "
                       "c5 Nf3: 1, e4 c5 Nf3 d6: 1"));

    // A fifth ply reaches the ambiguous knight move of game 4; two games are asked for.
    std::tie(status, printed) = t.run("-o book.bok --plies 5 --min-games 2 games.PGN");
    EXPECT_EQ(status, 0);
    EXPECT_NE(printed.find("games.PGN:17: game 4: 'Nd2': ambiguous move; game skipped\n"),
              std::string::npos)
        << printed;
    EXPECT_EQ(records_of(t.dir / "book.bok"), expected(": 1, e4: 3, e4 e5: 2"));
}

// Files from other editors and systems read as the same lists and games: a byte-order mark
// first, lines ended by a lone CR or by CR LF. A header-only game is a game of its own, and a
// null move ends a game's moves without costing the game.
TEST(BookBuilder, MarksLineEndsAndNullMovesLoseNoGame)
{
    ToolDir t;
    t.write("lines.txt",
            "\xEF\xBB\xBF"
            "5 e2e4 e7e5 # first\r3 d2d4\r\n7 e2e4 c7c5\r");
    t.write("games.pgn",
            "\xEF\xBB\xBF[White \"A\"]\r\r1. e4 ; note\r e5 *\r"
            "[White \"No moves\"]\r[FEN \"8/8/8/8/8/8/8/K1k5 w - - 0 1\"]\r\r"
            "[White \"C\"]\r\r1. d4 d5 2. -- Nf6 *\r");
    auto [status, printed] = t.run("-o book.bok lines.txt");
    EXPECT_EQ(status, 0) << printed;
    EXPECT_EQ(records_of(t.dir / "book.bok"), expected(": 1, e4: 7, e4 e5: 5, e4 c5: 7, d4: 3"));
    std::tie(status, printed) = t.run("-o book.bok games.pgn");
    EXPECT_EQ(status, 0) << printed;
    EXPECT_EQ(printed,
              "quarvelin-book: warning: games.pgn:5: game 2 (No moves - ?): starts from a set-up "
              "position; game skipped\n"
              "quarvelin-book: 5 positions written to book.bok (0 lines, 2 games, 1 skipped)\n");
    EXPECT_EQ(records_of(t.dir / "book.bok"), expected(": 1, e4: 1, e4 e5: 1, d4: 1, d4 d5: 1"));
}

// Outputs that could never be written whole: a pipe nobody reads is refused at once, and a name
// as long as a directory entry allows is written like any other.
TEST(BookBuilder, PipeOutputsAndLongestNames)
{
    ToolDir t;
    t.write("lines.txt", "5 e2e4\n");
    ASSERT_EQ(mkfifo((t.dir / "fifo").c_str(), 0600), 0);
    auto [status, printed] = t.run("-o fifo lines.txt");
    EXPECT_EQ(status, 1);
    EXPECT_EQ(printed, "quarvelin-book: fifo: cannot write: No such device or address\n");
    const std::string name(254, 'n');
    std::tie(status, printed) = t.run("-o " + name + " lines.txt");
    EXPECT_EQ(status, 0) << printed;
    EXPECT_EQ(records_of(t.dir / name), expected(": 1, e4: 5"));
    EXPECT_EQ(entries_in(t.dir), 3u);
}

TEST(BookBuilder, WeightsScaleDownToAThousand)
{
    ToolDir t;
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "1. e4 e5 *\n";
    for (int i = 0; i < 300; ++i) text += "1. d4 *\n";
    text += "1. c4 *\n";
    t.write("many.pgn", text);
    EXPECT_EQ(t.run("-o book.bok many.pgn").first, 0);
    EXPECT_EQ(records_of(t.dir / "book.bok"),
              expected(": 1, e4: 1000, e4 e5: 1000, d4: 100, c4: 1"));
}

TEST(BookBuilder, ErrorsNameFileLineAndTokenAndWriteNothing)
{
    ToolDir t;
    t.write("book.bok", "the old book");
    t.write("empty.pgn", "");
    fs::create_directory(t.dir / "folder");
    const std::pair<std::string, std::string> lists[] = {
        {"10 e2e4 - d2d4\n", "l.txt:1: '-': not a move in coordinates (such as e2e4)"},
        {"5 e2e4\nsav\n", "l.txt:2: 'sav': a weight from 0 to 1000 is expected"},
        {"1001 e2e4\n", "l.txt:1: '1001': a weight from 0 to 1000 is expected"},
        {"5 e2e4 e2e4\n", "l.txt:1: 'e2e4': illegal move in this position"},
        {"5 e2e4 e7e5 ls\n", "l.txt:1: 'ls': not a move in coordinates (such as e2e4)"},
        {"\n# fine\n7\n", "l.txt:3: '7': no move follows the weight"},
        {"[Event \"x\"]\n1. e4 *\n",
         "l.txt:1: '[Event': a weight from 0 to 1000 is expected "
         "(games in PGN need a file name ending in .pgn)"},
    };
    for (const auto& [list, message] : lists) {
        t.write("l.txt", list);
        EXPECT_EQ(t.run("-o book.bok l.txt"), std::pair(1, "quarvelin-book: " + message + "\n"));
    }
    const std::pair<std::string, std::string> inputs[] = {
        {"missing.txt", "missing.txt: cannot read: no such file"},
        {"folder", "folder: not a regular file"},
        {"empty.pgn", "nothing to build: no opening line and no readable game"},
    };
    for (const auto& [input, message] : inputs)
        EXPECT_EQ(t.run("-o book.bok " + input), std::pair(1, "quarvelin-book: " + message + "\n"));
    // An output that is one of the inputs, under its own name or another, is never written.
    fs::create_symlink("l.txt", t.dir / "link.txt");
    for (const char* args : {"-o l.txt l.txt", "-o ./l.txt empty.pgn l.txt", "-o link.txt l.txt"}) {
        const auto [status, printed] = t.run(args);
        EXPECT_EQ(status, 2) << args;
        EXPECT_NE(printed.find("is also an input: it would be replaced by the book\n"),
                  std::string::npos)
            << printed;
        EXPECT_EQ(file_text(t.dir / "l.txt"), lists[std::size(lists) - 1].first);
    }
    fs::remove(t.dir / "link.txt");
    for (const char* args : {"l.txt", "-o book.bok", "-o book.bok -x l.txt",
                             "-o book.bok --plies 0 l.txt", "-o book.bok -w wins l.txt", "-o"}) {
        const auto [status, printed] = t.run(args);
        EXPECT_EQ(status, 2) << args;
        EXPECT_NE(printed.find("\nusage: quarvelin-book -o OUTPUT"), std::string::npos) << args;
    }
    std::ifstream kept(t.dir / "book.bok");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "the old book");
    EXPECT_EQ(entries_in(t.dir), 4u);
}

// The build makes its default book with the builder: every position of every line of
// book/openings.txt, each with the largest weight of the lines reaching it, and nothing else.
TEST(BookBuilder, DefaultBookHoldsEveryLineOfTheOpeningList)
{
    const fs::path root = fs::path(QUARVELIN_TEST_DATA).parent_path().parent_path();
    std::ifstream list(root / "book" / "openings.txt");
    Records want{{key_after(""), 1}};
    int lines = 0;
    for (std::string line; std::getline(list, line);) {
        std::istringstream words(line.substr(0, line.find('#')));
        int weight = 0;
        if (!(words >> weight)) continue;
        ++lines;
        std::string path;
        for (std::string move; words >> move;) {
            path += " " + move;
            int& w = want.try_emplace(key_after(path, false), 0).first->second;
            w = std::max(w, weight);
        }
    }
    EXPECT_GE(lines, 150);
    EXPECT_EQ(records_of(QUARVELIN_BOOK_FILE), want);
    EXPECT_EQ(want[key_after("e4")], 10);
    EXPECT_EQ(want[key_after("d4")], 10);
}

}  // namespace
