// Play from a Polyglot book through the engine's own entry points (load_book with a book file
// name, book_move_for_think): the load messages, the weighted draw and the heaviest-move option,
// castling and promotion entries, illegal entries skipped, weights of 0, and a book found
// damaged during play.
#include "book/polyglot_book.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include "book/book.h"
#include "book/random.h"
#include "core/run_settings.h"
#include "polyglot_test_books.h"

namespace {

// Writes the entries (sorted) as dir/b.bin and loads it as the book; what the load printed in
// text mode. The position is left wherever the entries' set-up left it.
std::string load_polyglot(const ScratchDir& dir, const std::vector<TestEntry>& entries,
                          const std::string& fen = START)
{
    engine_init_for_tests();
    std::vector<PolyglotEntry> image;
    for (const TestEntry& e : entries) image.push_back(polyglot_entry(e, fen));
    EXPECT_TRUE(write_polyglot_file((dir / "b.bin").c_str(), image));
    std::snprintf(book_file_name, sizeof book_file_name, "%s", (dir / "b.bin").c_str());
    mode_flags = MODE_TEXT;
    const std::string out = capture_stdout([] { load_book(); });
    mode_flags = MODE_XBOARD;
    return out;
}

void restore_default_book()
{
    release_book();
    std::snprintf(book_file_name, sizeof book_file_name, "%s", BOOK_FILE_NAME);
    book_heaviest_move = 0;
}

// The moves the book plays from the position after `path`, over n draws, by text.
std::map<std::string, int> draws(const char* path, int n, const std::string& fen = START)
{
    std::map<std::string, int> count;
    seed_random(11);
    for (int i = 0; i < n; ++i) {
        setup_and_play(path, fen);
        Move m = 0;
        capture_stdout([&] { m = book_move_for_think(); });
        ++count[m == 0 ? "none" : move_to_text(m, false)];
    }
    return count;
}

TEST(PolyglotBook, LoadsAndDrawsInProportionToWeights)
{
    const ScratchDir dir;
    EXPECT_EQ(load_polyglot(dir, {{"", "e2e4", 3}, {"", "d2d4", 1}, {"e2e4", "c7c5", 5}}),
              "Bibliotheque ... livre Polyglot, 3 entrees (0 Ko)\n");
    EXPECT_TRUE(book_in_use());
    setup_and_play("");
    EXPECT_EQ(capture_stdout([] { book_move_for_think(); }), "0 0 0 0 ( e4 {75} d4 {25} )\n");
    const auto count = draws("", 1000);
    EXPECT_EQ(count.size(), 2u);
    EXPECT_NEAR(count.at("e4"), 750, 80);
    EXPECT_EQ(draws("e2e4", 3).at("c5"), 3);
    EXPECT_EQ(draws("d2d4", 3).at("none"), 3);  // not in the book

    book_heaviest_move = 1;
    EXPECT_EQ(draws("", 50).at("e4"), 50);
    use_book = 0;
    EXPECT_EQ(draws("", 3).at("none"), 3);
    use_book = 1;
    restore_default_book();
}

struct PlayCase {
    const char* what;
    std::vector<TestEntry> entries;
    const char* fen;
    std::string line;    // the book line printed
    const char* played;  // the only move drawn, or "none"
};

TEST(PolyglotBook, SpecialMovesIllegalEntriesAndZeroWeights)
{
    const char* castle = "r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1";
    const char* promote = "8/1P5k/8/8/8/8/8/K7 w - - 0 1";
    const PlayCase cases[] = {
        {"castling written as e1h1", {{"", "e1g1", 1}}, castle, "0 0 0 0 ( O-O {100} )\n", "O-O"},
        {"castling queen side", {{"", "e1c1", 1}}, castle, "0 0 0 0 ( O-O-O {100} )\n", "O-O-O"},
        {"promotion to a knight", {{"", "b7b8n", 2}}, promote, "0 0 0 0 ( b8=N {100} )\n", "b8=N"},
        {"an illegal entry is skipped",
         {{"", "e2e5", 9}, {"", "g1f3", 1}},
         START,
         "0 0 0 0 ( Ng1f3 {100} )\n",
         "Ng1f3"},
        {"only illegal entries", {{"", "e2e5", 9}}, START, "", "none"},
        {"weights of 0 are known, never played",
         {{"", "e2e4", 0}, {"", "d2d4", 0}},
         START,
         "0 0 0 0 ( d4 e4 )\n",
         "none"},
    };
    const ScratchDir dir;
    for (const PlayCase& c : cases) {
        load_polyglot(dir, c.entries, c.fen);
        setup_fen(c.fen);
        EXPECT_EQ(capture_stdout([] { book_move_for_think(); }), c.line) << c.what;
        const auto count = draws("", 20, c.fen);
        EXPECT_EQ(count.size(), 1u) << c.what;
        EXPECT_EQ(count.begin()->first, c.played) << c.what;
    }
    restore_default_book();
}

TEST(PolyglotBook, RefusedOrDamagedBooksLeaveNoBook)
{
    const ScratchDir dir;
    engine_init_for_tests();
    write_file(dir / "short.bin", std::string(20, 'x'));
    std::snprintf(book_file_name, sizeof book_file_name, "%s", (dir / "short.bin").c_str());
    mode_flags = MODE_TEXT;
    EXPECT_EQ(capture_stdout([] { load_book(); }),
              "Bibliotheque ... Livre <" + (dir / "short.bin").string() +
                  "> refuse : 20 octets, pas un multiple de 16\n");
    mode_flags = MODE_XBOARD;
    EXPECT_EQ(capture_stdout([] { load_book(); }),
              "# " + (dir / "short.bin").string() +
                  ": 20 bytes, not a whole number of 16-byte entries: no Polyglot book\n");
    EXPECT_FALSE(book_in_use());
    EXPECT_EQ(draws("", 2).at("none"), 2);

    // Sound at opening, then rewritten out of order: the lookup finds the disorder on its path
    // (the start position's key is the smaller one), says so (to xboard as a comment line) and
    // the book is dropped.
    load_polyglot(dir, {{"", "e2e4", 1}, {"e2e4", "e7e5", 1}});
    std::vector<PolyglotEntry> swapped = {polyglot_entry({"e2e4", "e7e5", 1}),
                                          polyglot_entry({"", "e2e4", 1})};
    if (swapped[0].key < swapped[1].key) std::swap(swapped[0], swapped[1]);
    write_file(dir / "b.bin", polyglot_image(swapped));
    setup_and_play("");
    EXPECT_EQ(capture_stdout([] { book_move_for_think(); }),
              "# " + (dir / "b.bin").string() + ": keys out of order: a damaged Polyglot book\n");
    EXPECT_FALSE(book_in_use());
    restore_default_book();
}

}  // namespace
