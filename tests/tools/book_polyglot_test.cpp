// The book builder's Polyglot side, run as a user runs it: Polyglot output from opening lists
// and games (entry by entry against keys and move fields the engine computes), the format
// chosen by option or by name, weights scaled to 16 bits, and books as inputs: a `.bin` merged
// into either format, a `bibli.bok` converted to `.bin` and back without loss, refused inputs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <tuple>

#include "book/book_file.h"
#include "book/polyglot_test_books.h"
#include "tools/book_builder.h"

namespace {

namespace fs = std::filesystem;
using Entries = std::map<std::pair<uint64_t, uint16_t>, uint16_t>;  // (key, move) -> weight

struct ToolDir : ScratchDir {
    ToolDir() { engine_init_for_tests(); }
    std::pair<int, std::string> run(const std::string& args) const
    {
        const CommandRun r = run_command(dir, "'" QUARVELIN_BOOK_TOOL "' " + args);
        return {r.status, r.out};
    }
};

// The entries of a Polyglot file, which must be sorted and carry no learn value.
Entries entries_of(const fs::path& path)
{
    PolyglotBook book;
    std::vector<PolyglotEntry> all;
    EXPECT_EQ(polyglot_open(&book, path.c_str()), PolyglotStatus::OK) << path;
    EXPECT_TRUE(polyglot_read_all(&book, &all)) << path;
    polyglot_close(&book);
    Entries out;
    for (const PolyglotEntry& e : all) {
        EXPECT_EQ(e.learn, 0u);
        EXPECT_TRUE(out.emplace(std::make_pair(e.key, e.move), e.weight).second) << "duplicate";
    }
    return out;
}

// "path > move: weight, ..." with coordinate moves.
Entries expected(const std::string& list)
{
    Entries out;
    std::istringstream in(list);
    for (std::string item; std::getline(in, item, ',');) {
        const size_t gt = item.find('>'), colon = item.find(':');
        const std::string path = item.substr(0, gt);
        std::istringstream move(item.substr(gt + 1, colon - gt - 1));
        std::string m;
        move >> m;
        const PolyglotEntry e =
            polyglot_entry({path.c_str(), m.c_str(), uint16_t(std::stoi(item.substr(colon + 1)))});
        out[{e.key, e.move}] = e.weight;
    }
    return out;
}

TEST(BookBuilderPolyglot, OpeningListsGiveOneEntryPerPositionAndMove)
{
    ToolDir t;
    write_file(t / "lines.txt",
               "5 e2e4 e7e5\n7 e2e4 c7c5\n0 g1f3\n2 g1f3 d7d5 d2d4\n1 d2d4 d7d5 g1f3\n");
    const auto [status, printed] = t.run("-o book.bin lines.txt");
    EXPECT_EQ(status, 0) << printed;
    EXPECT_EQ(printed,
              "quarvelin-book: 9 Polyglot entries written to book.bin (5 lines, 0 games, "
              "0 skipped, 0 book entries merged)\n");
    // The transposition 1.Nf3 d5 2.d4 / 1.d4 d5 2.Nf3 keeps one entry per move into it, each
    // with its own line's weight.
    EXPECT_EQ(entries_of(t / "book.bin"),
              expected(" > e2e4: 7, e2e4 > e7e5: 5, e2e4 > c7c5: 7, > g1f3: 2, g1f3 > d7d5: 2, "
                       "g1f3 d7d5 > d2d4: 2, > d2d4: 1, d2d4 > d7d5: 1, d2d4 d7d5 > g1f3: 1"));
}

TEST(BookBuilderPolyglot, FormatByOptionOrByName)
{
    ToolDir t;
    write_file(t / "lines.txt", "4 e2e4 e7e5\n");
    const Entries want = expected(" > e2e4: 4, e2e4 > e7e5: 4");
    EXPECT_EQ(t.run("-f polyglot -o book.dat lines.txt").first, 0);
    EXPECT_EQ(entries_of(t / "book.dat"), want);
    EXPECT_EQ(t.run("--format polyglot -o BOOK.BIN lines.txt").first, 0);
    EXPECT_EQ(entries_of(t / "BOOK.BIN"), want);
    EXPECT_EQ(t.run("-f bok -o book.bin lines.txt").first, 0);
    const BookFileContents bok = read_book_file((t / "book.bin").c_str());
    EXPECT_EQ(bok.count, 3);
    std::free(bok.records);
    const auto [status, printed] = t.run("-f ctg -o book.bin lines.txt");
    EXPECT_EQ(status, 2);
    EXPECT_EQ(printed.rfind("quarvelin-book: -f takes bok or polyglot\nusage:", 0), 0u);
}

// Games: results give 2 per win and 1 per draw to the side that played the move, as counted
// per move; a move whose games earned nothing is left out, and min-games counts per move.
TEST(BookBuilderPolyglot, GamesGiveWeightsPerMove)
{
    ToolDir t;
    write_file(t / "g.pgn",
               "[Result \"1-0\"]\n\n1. e4 e5 2. Nf3 1-0\n\n[Result \"0-1\"]\n\n1. e4 c5 0-1\n\n"
               "[Result \"1/2-1/2\"]\n\n1. d4 d5 1/2-1/2\n\n[Result \"1-0\"]\n\n1. e4 e5 1-0\n");
    EXPECT_EQ(t.run("-w results -p 3 -o r.bin g.pgn").first, 0);
    EXPECT_EQ(entries_of(t / "r.bin"), expected(" > e2e4: 4, > d2d4: 1, e2e4 > c7c5: 2, "
                                                "d2d4 > d7d5: 1, e2e4 e7e5 > g1f3: 2"));
    EXPECT_EQ(t.run("-p 2 -o g.bin g.pgn").first, 0);
    EXPECT_EQ(entries_of(t / "g.bin"), expected(" > e2e4: 3, > d2d4: 1, e2e4 > e7e5: 2, "
                                                "e2e4 > c7c5: 1, d2d4 > d7d5: 1"));
    EXPECT_EQ(t.run("-p 2 -m 2 -o m.bin g.pgn").first, 0);
    EXPECT_EQ(entries_of(t / "m.bin"), expected(" > e2e4: 3, e2e4 > e7e5: 2"));
}

// Game values beyond 16 bits scale down in proportion, never to 0 from a positive value.
TEST(BookBuilderPolyglot, WeightsScaleToSixteenBits)
{
    engine_init_for_tests();
    BookTally tally;
    tally.moves[{1, 1}].games = 200000;
    tally.moves[{1, 2}].games = 100000;
    tally.moves[{2, 3}].games = 1;
    tally.moves[{2, 4}].line_weight = 700;
    std::map<uint16_t, uint16_t> weight;
    for (const PolyglotEntry& e : tally_polyglot_entries(tally, BuildOptions{}))
        weight[e.move] = e.weight;
    EXPECT_EQ(weight, (std::map<uint16_t, uint16_t>{{1, 65535}, {2, 32768}, {3, 1}, {4, 700}}));
}

TEST(BookBuilderPolyglot, BooksMergeIntoEitherFormat)
{
    ToolDir t;
    // A Polyglot book with an entry no book move reaches and an illegal one.
    std::vector<PolyglotEntry> bin = {
        polyglot_entry({"", "e2e4", 30000}), polyglot_entry({"e2e4", "e7e5", 3000}),
        polyglot_entry({"d2d4", "d7d5", 1}), polyglot_entry({"", "e2e5", 7})};
    std::sort(bin.begin(), bin.end(), [](auto& a, auto& b) { return a.key < b.key; });
    write_file(t / "in.bin", polyglot_image(bin));

    // Into bibli.bok: walked from the initial position, weights scaled to 0..1000.
    auto [status, printed] = t.run("-o out.bok in.bin");
    EXPECT_EQ(status, 0) << printed;
    EXPECT_NE(printed.find("in.bin: 1 entries with a move illegal in their position left out\n"),
              std::string::npos)
        << printed;
    EXPECT_NE(printed.find("in.bin: 1 entries of positions the book's moves do not reach"),
              std::string::npos)
        << printed;
    const BookFileContents bok = read_book_file((t / "out.bok").c_str());
    ASSERT_EQ(bok.count, 3);  // the initial position, 1.e4, 1.e4 e5
    std::map<std::string, int> attrait;
    for (const char* path : {"", "e2e4", "e2e4 e7e5"}) {
        setup_and_play(path);
        const Key96 k = current_book_key();
        for (int i = 0; i < bok.count; ++i)
            if (bok.records[i].key0 == k.w[0] && bok.records[i].key1 == k.w[1])
                attrait[path] = bok.records[i].attrait;
    }
    std::free(bok.records);
    EXPECT_EQ(attrait, (std::map<std::string, int>{{"", 1}, {"e2e4", 1000}, {"e2e4 e7e5", 100}}));

    // Into Polyglot: entry by entry, merged with a list (the larger weight wins).
    write_file(t / "lines.txt", "5 e2e4 e7e5 g1f3\n");
    std::tie(status, printed) = t.run("-o out.bin in.bin lines.txt");
    EXPECT_EQ(status, 0) << printed;
    Entries want = expected(
        " > e2e4: 30000, e2e4 > e7e5: 3000, d2d4 > d7d5: 1, "
        "e2e4 e7e5 > g1f3: 5");
    const PolyglotEntry illegal = polyglot_entry({"", "e2e5", 7});
    want[{illegal.key, illegal.move}] = 7;
    EXPECT_EQ(entries_of(t / "out.bin"), want);
}

// bibli.bok to .bin and back gives the same records: the moves are recovered by walking the
// book from the initial position.
TEST(BookBuilderPolyglot, DefaultBookConvertsBothWaysWithoutLoss)
{
    ToolDir t;
    auto [status, printed] = t.run("-o default.bin '" QUARVELIN_BOOK_FILE "'");
    EXPECT_EQ(status, 0) << printed;
    std::tie(status, printed) = t.run("-o back.bok default.bin");
    EXPECT_EQ(status, 0) << printed;
    EXPECT_EQ(file_text(t / "back.bok"), file_text(QUARVELIN_BOOK_FILE));
}

TEST(BookBuilderPolyglot, RefusedBookInputsNameTheFileAndWriteNothing)
{
    ToolDir t;
    write_file(t / "odd.bin", "12345");
    write_file(t / "empty.bin", "");
    fs::create_directory(t / "folder.bin");
    write_file(t / "zero.bok", std::string(4, '\0'));
    const std::pair<const char*, const char*> cases[] = {
        {"odd.bin", "odd.bin: 5 bytes, not a whole number of 16-byte entries"},
        {"empty.bin", "empty.bin: empty file"},
        {"folder.bin", "folder.bin: not a regular file"},
        {"zero.bok", "zero.bok: record count 0 out of range"},
        {"absent.bin", "absent.bin: cannot open"},
    };
    for (const auto& [input, message] : cases) {
        for (const char* out : {"out.bin", "out.bok"}) {
            const auto [status, printed] = t.run(std::string("-o ") + out + " " + input);
            EXPECT_EQ(status, 1) << input;
            EXPECT_EQ(printed.rfind(std::string("quarvelin-book: ") + message, 0), 0u) << printed;
            EXPECT_FALSE(fs::exists(t / out)) << input;
        }
    }
}

}  // namespace
