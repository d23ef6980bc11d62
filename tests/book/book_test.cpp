// The book loader, lookup and move choice over small books that each test writes into a scratch
// directory, since the loader reads `bibli.bok` from the working directory.
#include "book/book.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>

#include "core/run_settings.h"
#include "movegen/notation.h"
#include "test_support.h"

namespace {

struct Entry {
    const char* path;  // coordinate moves from the initial position
    int score, attrait;
};

// A file image: the count, then `blanks` records of small keys and the entries' records, sorted.
std::string image(int32_t count, const std::vector<Entry>& entries, uint32_t blanks = 0)
{
    std::vector<std::array<uint32_t, 4>> recs;
    for (uint32_t i = 0; i < blanks; ++i) recs.push_back({0, 0, i, 0});
    for (const Entry& e : entries) {
        setup_and_play(e.path);
        const Key96 k = current_book_key();
        recs.push_back({k.w[0], k.w[1], k.w[2], uint16_t(e.score) | uint32_t(e.attrait) << 16});
    }
    std::sort(recs.begin(), recs.end());
    std::string out(reinterpret_cast<const char*>(&count), 4);  // the test host is little-endian
    return out.append(reinterpret_cast<const char*>(recs.data()), recs.size() * 16);
}

int load_rc;  // what the last load_book() answered

// Loads `img` as the book file (no file when it is empty) in text mode; returns the messages.
std::string load(const std::string& img)
{
    const ScratchDir dir(true);
    if (!img.empty()) std::ofstream("bibli.bok", std::ios::binary) << img;
    mode_flags = MODE_TEXT;
    const std::string out = capture_stdout([] { load_rc = load_book(); });
    mode_flags = MODE_XBOARD;
    return out;
}

std::string load(const std::vector<Entry>& e)
{
    return load(image(int32_t(e.size()), e));
}

TEST(Book, LoadReportsSizesAndRejectsBadCountsAndShortFiles)
{
    const std::pair<std::string, const char*> cases[] = {
        {image(2, {}, 2), "2 positions (0 Ko)\n"},
        {image(64, {}, 65), "64 positions (1 Ko)\n"},  // bytes past the count are ignored
        {image(0, {}), "Nombre de positions invalide : 0\n"},
        {image(-1, {}, 1), "Nombre de positions invalide : -1\n"},
        {image(131073, {}, 1), "Nombre de positions invalide : 131073\n"},
        // A valid count in a file that ends too soon: the file is said to be short.
        {image(3, {}, 2), "Fichier <bibli.bok> trop court (36 octets)\n"},
        {image(1, {}, 1).substr(0, 10), "Fichier <bibli.bok> trop court (10 octets)\n"},
        {image(1, {}, 1).substr(0, 2), "Fichier <bibli.bok> trop court (2 octets)\n"},
        {"", "Non disponible\n"},
    };
    for (const auto& [img, message] : cases) {
        load({{"", 0, 1}});  // a failed load must also drop the book already there
        EXPECT_EQ(load(img), std::string("Bibliotheque ... ") + message);
        const int32_t count = std::atoi(message);
        EXPECT_EQ(load_rc, count ? 0 : -1);
        EXPECT_EQ(book_count, count);
        EXPECT_EQ(book_table == nullptr, count == 0);
    }
    release_book();  // later suites expect no book
}

TEST(Book, LookupAndListingReadEachSuccessorsRecord)
{
    load({{"", 3, 60000}, {"e2e4", 20, 3}, {"g1f3", -7, 120}, {"e2e4 e7e5", 0, 1}});
    setup_and_play("");
    EXPECT_EQ(book_table[book_lookup()].attrait, 60000);
    EXPECT_EQ(capture_stdout(list_book_successors), "Ng1f3 : A 120  / S -7\ne4 : A   3  / S 20\n");
    setup_and_play("e2e4");
    EXPECT_EQ(capture_stdout(list_book_successors), "e5 : A   1  / S 0\n");
    setup_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1");  // same hash_key
    EXPECT_EQ(book_lookup(), -1);
    release_book();
}

TEST(Book, MoveChoiceDrawsAmongTheBestScoredSuccessorsByWeight)
{
    // {position, its book line, each move drawn with its share of the draws in percent, book}
    const std::tuple<const char*, const char*, const char*, std::vector<Entry>> cases[] = {
        {"",
         "e4 {75} d4 {25} c4? ",
         "e2e4 75 d2d4 25",
         {{"e2e4", 20, 3}, {"d2d4", 20, 1}, {"c2c4", 5, 9}}},
        {"e2e4", "e5 {100} c5? ", "e7e5 100", {{"e2e4 c7c5", 10, 5}, {"e2e4 e7e5", -30, 0}}},
        {"", "e4 {50} Ng1f3 {50} ", "e2e4 50 g1f3 50", {{"e2e4", 10, 0}, {"g1f3", 10, 0}}},
        {"", "Ng1f3 {100} e4? ", "g1f3 100", {{"e2e4", 5, 2}, {"g1f3", 10, 1}}},
        {"", "e4? d4? ", "- 100", {{"e2e4", -50, 4}, {"d2d4", -60, 4}}},
        {"", nullptr, "- 100", {{"e2e4 e7e5", 0, 1}}},  // no successor: no line
    };
    for (const auto& [at, line, share_text, book] : cases) {
        load(book);
        setup_and_play(at);  // each choice leaves the position as it found it
        seed_random(7);
        std::map<Move, int> drawn;
        std::string expected;
        EXPECT_EQ(capture_stdout([&] {
                      for (int i = 0; i < 400; ++i)
                          ++drawn[choose_book_move()],
                              expected += line ? std::string("0 0 0 0 ( ") + line + ")\n" : "";
                  }),
                  expected);
        std::istringstream shares(share_text);
        size_t moves = 0;
        for (std::string coord; shares >> coord; ++moves) {
            double share;
            shares >> share;
            EXPECT_NEAR(drawn[text_to_move(coord.c_str())] / 4.0, share, 8) << line << coord;
        }
        EXPECT_EQ(drawn.size(), moves) << line;
    }
    release_book();
}

}  // namespace
