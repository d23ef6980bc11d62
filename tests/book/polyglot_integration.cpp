// Quarvelin's Polyglot books against Debian's `polyglot` 2.0.4 (label "integration"; skipped when
// the program is missing): a book polyglot builds from tests/data/polyglot_games.pgn is read by
// the engine with exactly the moves and shares that `polyglot dump-book` lists, and the book
// `quarvelin-book` writes from the same games with the same settings lists, under dump-book, the
// same lines, agrees with the engine's own reading and is accepted by `info-book`.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

#include "book/polyglot_file.h"
#include "book/polyglot_keys.h"
#include "core/makemove.h"
#include "movegen/notation.h"
#include "test_support.h"
#include "tools/san.h"

namespace {

namespace fs = std::filesystem;

// Every move a dump lists with its share, by the Polyglot key of the position it is played in:
// key -> (move field -> percent).
using Shares = std::map<uint64_t, std::map<uint16_t, int>>;
// A line of coordinate moves from the initial position to each position of the dumps.
std::map<uint64_t, std::string> line_to;

std::string polyglot_program()
{
    for (const char* p : {"/usr/games/polyglot", "/usr/bin/polyglot"})
        if (fs::exists(p)) return p;
    return "";
}

// The dump of one colour's lines: "n: 1. e4{71%} c5 2. Nf3{100%} ...", each line from the
// initial position, maybe ending in a note that it joins another line; the moves with a share
// are the book's.
Shares read_dump(const std::string& text)
{
    Shares shares;
    for (const std::string& line : lines_of(text)) {
        const size_t colon = line.find(": ");
        if (line.rfind("Dump of", 0) == 0 || colon == std::string::npos) continue;
        setup_and_play("");
        std::string path;
        std::istringstream words(line.substr(colon + 2));
        for (std::string w; words >> w;) {
            if (w.back() == '.') continue;  // a move number
            if (w[0] == '{') break;         // "{trans: line=8, ply=6}": a transposition
            const size_t brace = w.find('{');
            const std::string san = w.substr(0, brace);
            Move m = 0;
            EXPECT_EQ(san_to_move(san.c_str(), &m), SanResult::OK) << san << " in " << line;
            if (brace != std::string::npos)
                shares[polyglot_key()][polyglot_move_of(m)] = std::stoi(w.substr(brace + 1));
            line_to[polyglot_key()] = path;
            path += std::string(path.empty() ? "" : " ") + polyglot_move_text(polyglot_move_of(m));
            make_move(m);
        }
    }
    return shares;
}

struct PolyglotRun : ScratchDir {
    std::string program = polyglot_program();
    std::string dump(const std::string& book, const char* colour) const
    {
        const CommandRun r = run_command(
            dir, program + " dump-book -bin " + book + " -color " + colour + " -out dump.txt");
        EXPECT_EQ(r.status, 0) << r.out;
        return file_text(dir / "dump.txt");
    }
};

// The positions of a dump, each with the engine's moves and shares, compared with the dump's:
// the same moves, each share the dump's percentage to within its rounding.
void expect_same_reading(const fs::path& book, const Shares& dumped, const std::string& what)
{
    ASSERT_FALSE(dumped.empty()) << what;
    for (const auto& [key, moves] : dumped) {
        setup_and_play(line_to.at(key));
        std::vector<PolyglotEntry> entries;
        PolyglotBook b;
        ASSERT_EQ(polyglot_open(&b, book.c_str()), PolyglotStatus::OK);
        ASSERT_TRUE(polyglot_find(&b, key, &entries));
        polyglot_close(&b);
        double total = 0;
        for (const PolyglotEntry& e : entries) total += e.weight;
        std::map<uint16_t, int> engine;
        for (const PolyglotEntry& e : entries)
            if (move_of_polyglot(e.move) != 0) engine[e.move] = e.weight;
        ASSERT_EQ(engine.size(), moves.size()) << what << " key " << std::hex << key;
        for (const auto& [move, weight] : engine) {
            ASSERT_EQ(moves.count(move), 1u) << what << ": " << polyglot_move_text(move);
            EXPECT_LE(std::fabs(moves.at(move) - 100.0 * weight / total), 0.5)
                << what << ": " << polyglot_move_text(move);
        }
    }
}

}  // namespace

TEST(PolyglotAgainstPolyglot, BooksReadAndWrittenAgreeWithDebiansProgram)
{
    PolyglotRun run;
    if (run.program.empty()) GTEST_SKIP() << "polyglot is missing (.ci/run installs it)";
    engine_init_for_tests();
    const std::string games = std::string(QUARVELIN_TEST_DATA) + "/polyglot_games.pgn";
    for (const int min_games : {1, 2}) {
        const std::string settings = "-max-ply 16 -min-game " + std::to_string(min_games);
        CommandRun r = run_command(
            run.dir, run.program + " make-book -pgn '" + games + "' -bin theirs.bin " + settings);
        ASSERT_EQ(r.status, 0) << r.out;
        r = run_command(run.dir, "'" QUARVELIN_BOOK_TOOL "' -f polyglot -w results -p 16 -m " +
                                     std::to_string(min_games) + " -o ours.bin '" + games + "'");
        ASSERT_EQ(r.status, 0) << r.out;
        EXPECT_NE(r.out.find(" 15 games, 0 skipped"), std::string::npos) << r.out;
        for (const char* colour : {"white", "black"}) {
            const std::string what = std::string(colour) + ", " + settings;
            const Shares theirs = read_dump(run.dump("theirs.bin", colour));
            const Shares ours = read_dump(run.dump("ours.bin", colour));
            expect_same_reading(run / "theirs.bin", theirs, "their book, " + what);
            expect_same_reading(run / "ours.bin", ours, "our book, " + what);
            EXPECT_EQ(ours, theirs) << what;
        }
        r = run_command(run.dir, run.program + " info-book -bin ours.bin");
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_NE(r.out.find("Lines for white"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("Lines for white                :        0"), std::string::npos)
            << r.out;
        EXPECT_EQ(r.out.find("error"), std::string::npos) << r.out;
    }
}

// The documented keys, read back from a book polyglot itself builds: each position's key is
// the one the engine computes.
TEST(PolyglotAgainstPolyglot, KeysOfABookPolyglotBuilds)
{
    PolyglotRun run;
    if (run.program.empty()) GTEST_SKIP() << "polyglot is missing (.ci/run installs it)";
    engine_init_for_tests();
    const std::string games = std::string(QUARVELIN_TEST_DATA) + "/polyglot_games.pgn";
    const CommandRun r = run_command(run.dir, run.program + " make-book -pgn '" + games +
                                                  "' -bin keys.bin -max-ply 16 -min-game 1");
    ASSERT_EQ(r.status, 0) << r.out;
    PolyglotBook book;
    ASSERT_EQ(polyglot_open(&book, (run / "keys.bin").c_str()), PolyglotStatus::OK);
    std::vector<PolyglotEntry> entries;
    // The game through the documented en-passant positions, move by move.
    setup_and_play("");
    for (const char* san : {"a4", "b5", "h4", "b4", "c4", "bxc3", "Ra3", "cxb2", "Bxb2"}) {
        ASSERT_TRUE(polyglot_find(&book, polyglot_key(), &entries));
        Move m = 0;
        ASSERT_EQ(san_to_move(san, &m), SanResult::OK);
        bool listed = false;
        for (const PolyglotEntry& e : entries) listed = listed || move_of_polyglot(e.move) == m;
        EXPECT_TRUE(listed) << san;
        make_move(m);
    }
    polyglot_close(&book);
}
