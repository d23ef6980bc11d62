// The full-width search called below a root: in-tree draws, mates and futile nodes, the extension
// rules, the transposition guard of the null move, the pair update and what a cutoff feeds.
#include "search/search.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "core/makemove.h"
#include "core/repetition.h"
#include "frontend/settings.h"
#include "movegen/notation.h"
#include "search/clock.h"
#include "search/hash.h"
#include "test_support.h"

namespace {

const char* const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr int INF = MAX_SCORE;

// Keeps the settings these tests change from leaking into the rest of the suite.
class SearchTest : public ::testing::Test {
protected:
    void TearDown() override { time_control_mode = mode_, draw_value = search_stopped = 0; }
    int32_t mode_ = time_control_mode;
};

// A position, the moves played from it (the search root after the first root_at of them).
void fresh(const std::string& fen, const char* moves = "", int root_at = -1)
{
    ASSERT_EQ(setup_fen(fen), 0) << fen;
    clear_caches();
    clear_search_tables();
    draw_value = search_stopped = 0;
    iteration_depth = 1;
    time_control_mode = TC_FIXED_DEPTH;  // the poll then never stops the search
    for (PlyInfo& info : ply_info) info = PlyInfo{};
    std::istringstream in(moves);
    for (std::string text; in >> text;) make_move(text_to_move(text.c_str()));
    root_ply = root_at < 0 ? ply : root_at;
}

TEST_F(SearchTest, DrawsMatesAndFutileNodes)
{
    const char* const TWICE = "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8";
    const struct {
        const char* fen;
        const char* moves;
        int root_at, alpha, beta, height, depth, expected;
    } cases[] = {
        {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "", -1, -INF, INF, 1, 240, -25},  // stalemate
        {"7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", "", -1, -INF, INF, 3, 120, 3 - 30000},
        {"8/8/3k4/3n4/8/3B4/3K4/8 w - - 0 1", "", -1, -10, 10, 1, 240, 25},
        {"8/8/3k4/8/8/3K4/3R4/8 b - - 0 1", "", -1, 50, 60, 1, 240, 50},  // bare king
        // Futile: nothing to capture, no check or promotion to give.
        {"7k/8/8/8/8/1p6/1P6/K2Q4 b - - 0 1", "", -1, 500, 600, 1, 60, 500},
        {"7k/8/8/8/8/1p6/1P6/K2Q4 b - - 0 1", "", -1, -400, -300, 1, 60, -400},
        // Once after the root, or twice in the game before it.
        {START, "g1f3 g8f6 f3g1 f6g8", 0, -INF, INF, 1, 60, 25},
        {START, TWICE, 7, -INF, INF, 1, 60, 25},
    };
    for (const auto& c : cases) {
        fresh(c.fen, c.moves, c.root_at);
        draw_value = 25;
        EXPECT_EQ(Search(c.alpha, c.beta, c.height, c.depth, 1), c.expected) << c.fen;
    }
    fresh("7k/8/8/8/8/1p6/1P6/K2Q4 b - - 0 1");  // two plies from the horizon: a wider margin
    Search(-400, -300, 1, 120, 1);
    EXPECT_GT(search_nodes, 1u);               // its moves were searched
    fresh("8/8/3k4/8/8/3K4/3R4/8 w - - 0 1");  // a rook is enough to win
    draw_value = 25;
    EXPECT_GT(Search(-INF, INF, 1, 60, 1), 300);
    pos()->irreversible = -100;  // a hundred reversible plies behind this position
    EXPECT_EQ(Search(-INF, INF, 1, 60, 1), 25);
    pos()->irreversible = 0;
}

TEST_F(SearchTest, ExtensionRules)
{
    const char* const EXCHANGE = "4k3/8/4p3/3n4/8/4N3/8/R3K3 w - - 0 1";
    const struct {
        const char* fen;
        const char* moves;
        int iteration, height, beta, depth, amount, kind;
    } cases[] = {
        {"4k3/8/8/8/8/8/8/4K2R w - - 0 1", "h1h8", 1, 1, 1, 0, 60, 1},
        {"4k3/p7/8/8/8/8/3r4/3RK3 b - - 0 1", "d2d1 e1d1", 1, 2, 1, 60, 180, 2},
        {"4k3/8/8/8/8/1p6/8/4K3 b - - 0 1", "b3b2", 1, 1, 1, 0, 60, 4},
        {"4k3/8/8/8/8/1p6/8/4K3 b - - 0 1", "b3b2", 1, 1, 1, 60, 0, 0},
        {EXCHANGE, "e3d5 e6d5", 2, 2, 1000, 60, 60, 2},
        {EXCHANGE, "e3d5 e6d5", 1, 2, 1000, 60, 0, 0},
    };
    for (const auto& c : cases) {
        fresh(c.fen, c.moves);
        iteration_depth = c.iteration;
        ply_info[c.height].extension = 7;
        EXPECT_EQ(extensions(0, c.beta, c.height, c.depth), c.amount) << c.fen << c.height;
        EXPECT_EQ(ply_info[c.height].extension, c.kind) << c.fen << " " << c.height;
    }
}

TEST_F(SearchTest, HashAllowsNullOnlyWithoutADeepEnoughUpperBoundBelowBeta)
{
    const uint32_t FULL = DEPTH_FULL_WIDTH;
    const int cases[][5] = {
        // stored score, depth field, bound, depth asked, allowed (beta 100)
        {50, FULL | 120, BOUND_UPPER, 300, 0},  {50, FULL | 120, BOUND_UPPER, 301, 1},
        {50, FULL | 120, BOUND_EXACT, 300, 0},  {50, FULL | 120, BOUND_LOWER, 300, 1},
        {100, FULL | 120, BOUND_UPPER, 300, 1}, {50, 60, BOUND_UPPER, 240, 0},
    };
    for (const auto& c : cases) {
        fresh("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
        EXPECT_TRUE(hash_allows_null(100, c[3]));  // no cell
        hash_store(make_move_word(SQ_A1, SQ_A8, ROOK), c[0], 0, c[1], c[2]);
        EXPECT_EQ(hash_allows_null(100, c[3]), c[4] == 1) << c[0] << " " << c[3];
    }
}

TEST_F(SearchTest, UpdatePairPromotesTheMoreFrequentMove)
{
    const Move A = 0x1234, B = 0x2345, C = 0x3456;
    const std::pair<Move, MovePair> steps[] = {
        {A, {A, 0, 0, 0}}, {A, {A, 0, 2, 0}}, {A, {A, 0, 4, 0}}, {A, {A, 0, 6, 0}},
        {A, {A, 0, 8, 0}}, {B, {A, B, 4, 0}}, {B, {A, B, 2, 2}},  // a tie does not swap
        {B, {B, A, 4, 1}}, {C, {B, C, 2, 0}}, {C, {C, B, 2, 1}},
    };
    MovePair p{};
    for (const auto& [m, want] : steps) {
        update_pair(&p, m);
        EXPECT_TRUE(p.move1 == want.move1 && p.move2 == want.move2 && p.count1 == want.count1 &&
                    p.count2 == want.count2)
            << p.move1 << " " << p.move2 << " " << p.count1 << " " << p.count2;
    }
    p = MovePair{A, B, 32767, 5};
    update_pair(&p, A);
    EXPECT_EQ(p.count1, 32767);  // saturates instead of turning negative
}

TEST_F(SearchTest, CutoffFeedsCountermovesAndKillersExceptRecaptures)
{
    const Move BOGUS = 0x7f7f;
    const std::pair<const char*, const char*> cases[] = {
        {"2rb2k1/5ppp/8/8/8/8/8/3R2K1 w - - 0 1", "d1d8"},  // only c8xd8 is legal
        {START, "e2e4"},
    };
    for (const auto& [fen, last_text] : cases) {
        fresh(fen, last_text);
        killers[2] = MovePair{BOGUS, BOGUS, 3, 4};
        const Move last = etats[ply - 1].coup;
        const int side = colour_index(trait);
        EXPECT_GE(Search(-INF, -29000, 1, 60, 1), -29000);
        const Move m = countermoves[side][move_index_of(last)].move1;
        ASSERT_NE(m, 0u) << fen;
        EXPECT_EQ(hash_best_move(), m);
        EXPECT_EQ(killers[1].move1, move_to(m) == move_to(last) ? 0u : m) << fen;
        EXPECT_EQ(history[side][move_index_of(m)].cutoffs, move_captured(m) ? 0u : 1u);
        EXPECT_TRUE(killers[2].move1 != BOGUS && killers[2].move2 != BOGUS);  // siblings only
    }
}

}  // namespace
