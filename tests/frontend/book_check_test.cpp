// The book check and optimisation over small books built in memory: what is searched, what is
// reported in `chkbk.txt`, and which scores are written.
#include "frontend/book_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <tuple>

#include "book/book.h"
#include "core/run_settings.h"
#include "frontend/book_editor.h"
#include "frontend/settings.h"
#include "frontend/think_lines.h"
#include "search/clock.h"
#include "search/root.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

// Installs a book of (moves from fen, score) records and returns to fen.
void install(const char* fen, const std::vector<std::pair<std::string, int>>& entries)
{
    release_book();
    book_table = static_cast<BookRecord*>(std::malloc(BOOK_MAX_RECORDS * sizeof(BookRecord)));
    for (const auto& [moves, score] : entries) {
        setup_and_play(moves, fen);
        capture_stdout([] { add_current_position(); });
        book_table[book_lookup()].score = int16_t(score);
    }
    setup_fen(fen);
}

int score_of(const char* fen, const std::string& moves)
{
    setup_and_play(moves, fen);
    return book_lookup() < 0 ? -99999 : book_table[book_lookup()].score;
}

// Runs the check in a scratch directory (its chkbk.txt a link to /dev/full, a device that takes
// no data, when `full_device` is set); returns {stdout, chkbk.txt}.
std::pair<std::string, std::string> check(int depth, bool full_device = false)
{
    const ScratchDir dir(true);
    if (full_device) fs::create_symlink("/dev/full", "chkbk.txt");
    mode_flags = MODE_TEXT;  // as from the console: the searches print nothing
    const std::string out = capture_stdout([&] { chkbk(depth); });
    mode_flags = MODE_XBOARD;
    return {out, full_device ? "" : file_text("chkbk.txt")};  // /dev/full reads without end
}

std::string header(int count, int depth)
{
    return "Verification de la bibliotheque d'ouvertures (" + std::to_string(count) +
           " positions)\nProfondeur de la reflexion: " + std::to_string(depth) + " demi-coups\n\n";
}

TEST(BookCheck, TranspositionIsSearchedOnceAndSettingsAfterwards)
{
    install(START, {{"", 5000},
                    {"e2e4", 5000},
                    {"g1f3", 5000},
                    {"e2e4 e7e5", 5000},
                    {"g1f3 e7e5", 5000},
                    {"e2e4 e7e5 g1f3", 5000}});
    const SearchLimits before = engine_limits;
    use_book = 1;
    const auto [out, report] = check(2);
    EXPECT_EQ(report.rfind(header(6, 2), 0), 0u) << report;
    EXPECT_EQ(out.rfind("Verification de la bibliotheque d'ouvertures (6 positions)\n", 0), 0u);
    // The second path to 1.e4 e5 2.Nf3 stops at the visited flag.
    EXPECT_NE(out.find("\n***************\n    0 - Ng1f3\n***************\n    1 [16%] > Ng1f3 \n"
                       "    2 [33%] > Ng1f3 e5 \n    3 [50%] > Ng1f3 e5 e4 \n***************\n"
                       "    3 - e4\n***************\n    4 [66%] > e4 \n    5 [83%] > e4 e5 \n"
                       "    6 [100%] > e4 e5 Ng1f3 \n5 positions verifiees\nTemps :  0: 0: 0\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(score_of(START, ""), 5000);  // the start is not searched
    for (const char* path : {"e2e4", "g1f3", "e2e4 e7e5", "g1f3 e7e5", "e2e4 e7e5 g1f3"})
        EXPECT_LT(std::abs(score_of(START, path)), 300) << path;
    // The session's settings are as they were: the check searched with limits of its own, and
    // the next search still plays from the book.
    EXPECT_EQ(std::tuple(use_book, show_thinking, engine_limits.min_depth, engine_limits.max_depth,
                         engine_limits.mode),
              std::tuple(1, 1, before.min_depth, before.max_depth, before.mode));
}

TEST(BookCheck, ReportsLoopsAndUnbalancedPositionsWithScoresForTheSideToMove)
{
    const char* fen = "4k3/8/8/8/8/8/8/Q3K3 w - - 0 1";
    install(fen, {{"", 7}, {"a1a2", 0}, {"e1e2", 0}, {"e1e2 e8e7", 0}, {"e1e2 e8e7 e2e1", 0}});
    const auto [out, report] = check(2);
    const std::string entry = R"( +(-?\d+) = \{ (\S+ )*\}\n\n)";
    const std::regex shape(std::regex_replace(header(5, 2), std::regex(R"([()])"), R"(\$&)") +
                           R"(\[Materiel\] 1\. Ke1e2 \n)" + entry +
                           R"(\[Materiel\] 1\. Ke1e2 Ke8e7 \n)" + entry +
                           R"(\[Materiel\] 1\. Ke1e2 Ke8e7 2\. Ke2e1 \n)" + entry +
                           R"(\[Bouclage\] 1\. Ke1e2 Ke8e7 2\. Ke2e1 Ke7e8 \n)" +
                           R"(\[Materiel\] 1\. Qa1a2 \n)" + entry);
    EXPECT_TRUE(std::regex_match(report, shape)) << report;
    EXPECT_NE(out.find("4 positions verifiees\n"), std::string::npos);
    EXPECT_EQ(score_of(fen, ""), 7);
    EXPECT_LT(score_of(fen, "e1e2"), -100);  // Black to move, a queen down
    EXPECT_GT(score_of(fen, "e1e2 e8e7"), 100);
    EXPECT_LT(score_of(fen, "e1e2 e8e7 e2e1"), -100);
    EXPECT_LT(score_of(fen, "a1a2"), -100);

    install(START, {{"", 0}, {"e2e4 e7e5", 0}});  // no successor of the start in the book
    const auto [out2, report2] = check(1);
    EXPECT_EQ(report2, header(2, 1));
    EXPECT_NE(out2.find("0 positions verifiees\n"), std::string::npos);

    // A report that cannot be written is said to be lost, before the count of the positions.
    EXPECT_NE(check(1, true).first.find("Impossible d'ecrire dans <chkbk.txt>\n0 positions "
                                        "verifiees\n"),
              std::string::npos);
    use_book = 1;
}

TEST(BookOptimisation, NegamaxOfTheLeavesReachesTheInnerPositions)
{
    struct Case {
        std::vector<std::pair<std::string, int>> book;
        std::vector<int> after;  // the scores afterwards, in book order
        const char* summary;
    };
    const Case cases[] = {
        {{{"", 7}, {"e2e4", 40}}, {-40, 40}, "2 positions verifiees\n"},
        {{{"", 0}, {"e2e4", 0}, {"d2d4", 30}, {"e2e4 e7e5", 20}, {"e2e4 c7c5", -10}},
         {-10, 10, 30, 20, -10},
         "5 positions verifiees\n"},
        {{{"e2e4", 40}}, {40}, "0 positions verifiees\n"},  // the start is not in the book
    };
    for (const Case& c : cases) {
        install(START, c.book);
        EXPECT_EQ(capture_stdout([] { optimizebk(); }).rfind(c.summary, 0), 0u);
        for (size_t i = 0; i < c.book.size(); ++i)
            EXPECT_EQ(score_of(START, c.book[i].first), c.after[i]) << c.book[i].first;
    }
    release_book();
}

}  // namespace
