// The full-width search on built positions: draws, mates, the pair update, what a cutoff feeds,
// and each pruning, reduction and extension rule on both sides of its threshold. A child's
// search depth is read from the table: a cell planted for it answers a search of its depth or
// less at once and is overwritten by a deeper one.
#include "search/search.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <tuple>
#include <vector>

#include "core/makemove.h"
#include "core/repetition.h"
#include "core/run_settings.h"
#include "movegen/movegen.h"
#include "movegen/notation.h"
#include "search/clock.h"
#include "search/hash.h"
#include "search/think_info.h"
#include "search/quiescence.h"
#include "search/root.h"
#include "search/search_link.h"
#include "test_support.h"

namespace {

constexpr uint32_t FULL = DEPTH_FULL_WIDTH;
constexpr int INF = MAX_SCORE;

std::function<void()> on_poll;  // called at every poll while set
InputVerdict watching_input()
{
    if (on_poll) on_poll();
    return InputVerdict::GO_ON;
}

struct SearchTest : testing::Test {
    InputVerdict (*saved_input)() = search_link.input;
    int32_t saved_mode = time_control_mode, saved_speed = estimated_cpu_speed;
    int32_t saved_draw = draw_value;
    void SetUp() override { engine_init_for_tests(); }
    void TearDown() override
    {
        search_link.input = saved_input, on_poll = nullptr;
        time_control_mode = saved_mode, estimated_cpu_speed = saved_speed;
        search_stopped = 0, draw_value = saved_draw;
    }
    // The position after `moves` (the search's root after the first root_at of them), with
    // empty tables, a poll at every frontier node that never stops the search, draw value 0 and
    // iteration depth `iteration`.
    static void node(const char* fen, const char* moves = "", int iteration = 1, int root_at = -1)
    {
        setup_and_play(moves, fen);
        clear_caches();
        clear_statistics();
        for (PlyInfo& info : ply_info) info = PlyInfo{};
        search_stopped = 0, iteration_depth = iteration, draw_value = 0;
        root_ply = root_at < 0 ? ply : root_at;
        time_control_mode = TC_FIXED_DEPTH, estimated_cpu_speed = 0;
        search_link.input = watching_input;
    }
};

// The depth field of the cell of the position after m (0: the null move), or -1 for none.
int depth_after(Move m)
{
    m ? make_move(m) : make_null_move();
    HashEntry cell;
    const bool found = hash_find(&cell) != nullptr;
    m ? unmake_move(m) : unmake_null_move();
    return found ? cell.depth : -1;
}

void plant_after(Move m, int score, uint32_t depth_field, uint32_t bound)
{
    m ? make_move(m) : make_null_move();
    hash_store(0, score, 0, depth_field, bound);
    m ? unmake_move(m) : unmake_null_move();
}

// Late moves are reduced from the third reducible one on, two plies at once, when the node is at
// least two plies deep and two levels off the principal variation; a capture never is. Children
// at depth 0 meet a planted bound: a lower one fails the reduced search low, and the move stays
// unsearched at full depth; an upper one sends it to the full search.
TEST_F(SearchTest, LateMoveReductions)
{
    const char* fen = "4k3/pppp4/8/8/8/7p/PPPP2P1/4K3 w - - 0 1";
    // {off_pv, planted bound, reduced}: when reduced, every quiet child but the first two (the
    // capture is searched first) stays at depth 0.
    const std::tuple<int, uint32_t, bool> cases[] = {{2, BOUND_LOWER, true},
                                                     {3, BOUND_LOWER, true},
                                                     {1, BOUND_LOWER, false},
                                                     {2, BOUND_UPPER, false}};
    for (const auto& [off_pv, bound, reduced] : cases) {
        node(fen);
        const std::vector<Move> moves = legal_moves();
        int quiet = 0;
        for (Move m : moves) {
            plant_after(m, bound == BOUND_LOWER ? 1000 : -1000, FULL, bound);
            quiet += move_captured(m) == 0;
        }
        ASSERT_GE(quiet, 10);
        Search(300, 301, 1, 120, off_pv);
        int shallow = 0;
        for (Move m : moves) shallow += depth_after(m) == int(FULL);
        EXPECT_EQ(shallow, reduced ? quiet - 2 : 0) << off_pv;
        EXPECT_EQ(depth_after(text_to_move("g2h3")), int(FULL | 60));  // the capture
    }
}

// The null move is tried two plies from the horizon or more, off the principal variation, when
// the material leaves more than a pawn over beta and no piece hangs. A middle-game null move
// searches three, two or one ply less besides the ply itself (from 7, 4, 3 plies of depth), an
// ending's two or one (from 4 plies); a cell of that depth planted for the null move answers.
TEST_F(SearchTest, NullMoveConditionsAndDepths)
{
    const char* middle = "4kbnr/4pppp/8/8/8/8/PPPP4/RNBQK3 b - - 0 1";  // White 950 ahead
    const char* hanging = "4kbnr/4pppp/8/8/8/1n6/PPPP4/RNBQK3 b - - 0 1";
    const std::tuple<const char*, int, int, int, int> try_cases[] = {
        {middle, 120, 1049, 1, 1}, {middle, 120, 1050, 1, 0}, {middle, 60, 500, 1, 0},
        {middle, 120, 500, 0, 0},  {hanging, 120, 459, 1, 1}, {hanging, 120, 460, 1, 0}};
    for (const auto& [fen, depth, beta, off_pv, tries] : try_cases) {
        node(fen, "h7h6");
        Search(beta - 1, beta, 1, depth, off_pv);
        EXPECT_EQ(null_move_tries, uint32_t(tries)) << fen << " " << depth << " " << beta;
    }
    const char* ending = "2n1kbn1/5ppp/8/8/8/8/5PPP/R2QK3 b - - 0 1";  // two pieces against three
    const std::tuple<const char*, int, int> depths[] = {
        {middle, 180, 60}, {middle, 240, 60}, {middle, 360, 180}, {middle, 420, 180},
        {ending, 180, 60}, {ending, 240, 60}, {ending, 420, 240}};
    for (const auto& [fen, depth, null_depth] : depths)
        for (int planted : {null_depth, null_depth - 60}) {
            node(fen, "h7h6");
            // An upper bound below -beta for Black: the null move fails high at once.
            plant_after(0, -305, FULL | planted, BOUND_UPPER);
            const int r = Search(299, 300, 1, depth, 1);
            EXPECT_EQ(r == 305, planted == null_depth) << fen << " " << depth << " " << planted;
        }
}

// After a real move and a null move, a side with at most two pieces passes again, at full depth,
// from two plies of depth on; the planted cell of the position twice passed answers it.
TEST_F(SearchTest, DoubleNullMove)
{
    const char* two = "4k3/pp6/8/8/8/8/PP6/R3K2R w - - 0 1";
    const std::tuple<const char*, bool, int, int, bool> cases[] = {
        {two, true, 120, 120, true},
        {two, true, 180, 180, true},
        {two, true, 180, 120, false},  // never shallower
        {two, true, 60, 60, false},
        {"4k3/pp6/8/8/8/8/PP6/R3KB1R w - - 0 1", true, 120, 120, false},  // three pieces
        {two, false, 120, 120, false},  // two null moves in a row already
    };
    for (const auto& [fen, real_move_first, depth, planted, tried] : cases) {
        node(fen);
        const Move first = real_move_first ? text_to_move("a2a3") : NULL_MOVE;
        first ? make_move(first) : make_null_move();
        // Black to move on this board is what White's second pass leaves: an upper bound below
        // -beta there makes that pass fail high at once.
        hash_store(0, -305, 0, FULL | planted, BOUND_UPPER);
        make_null_move();  // Black passes: the node, White to move
        const int r = Search(299, 300, 1, depth, 1);
        EXPECT_EQ(r == 305, tried) << fen << " " << depth << " " << planted;
        unmake_null_move();
        first ? unmake_move(first) : unmake_null_move();
    }
}

// Internal deepening: a node of three plies or more without a cell is first searched three, two
// or one ply shallower (from 7, 4, 3 plies), which leaves its cell at that depth while the real
// search goes on; a nested one does the same.
TEST_F(SearchTest, InternalDeepeningDepths)
{
    // {depth, a cell planted first, the depths the node's cell showed during the search}
    const std::tuple<int, bool, std::set<int>> cases[] = {
        {120, false, {}},        {180, false, {60}},      {240, false, {60}}, {300, false, {120}},
        {360, false, {60, 180}}, {420, false, {60, 180}}, {240, true, {0}}};
    for (const auto& [depth, planted, expected] : cases) {
        node("4k3/pp6/8/8/8/8/PP6/4K3 w - - 0 1");
        if (planted) hash_store(0, 0, 0, FULL, BOUND_UPPER);
        const HashCell* bucket = bucket_of_position();
        const uint64_t lock = position_lock();
        std::set<int> seen;
        on_poll = [&] {
            HashEntry e;
            for (const HashCell* cell : {&bucket[0], &bucket[1]})
                if (cell_holds(*cell, lock, &e)) seen.insert(e.depth & 0x7fff);
        };
        Search(-30000, 30000, 1, depth, 0);
        EXPECT_EQ(seen, expected) << depth;
        HashEntry e;
        ASSERT_NE(hash_find(&e), nullptr);
        EXPECT_EQ(e.depth, FULL | depth);
    }
}

// A null move that runs into a mate extends the node by a ply while the window is above mated
// scores, up to the iteration's depth in height.
TEST_F(SearchTest, MateThreatExtension)
{
    const std::tuple<int, int, int, uint32_t> cases[] = {
        {2, 2, 0, 1}, {3, 2, 0, 1}, {1, 2, 0, 0}, {2, 2, -28999, 1}, {2, 2, -29000, 0}};
    for (const auto& [iteration, height, beta, extended] : cases) {
        // Rd1 mates White behind its pawns; White's three pieces stand safe.
        node("3r2k1/1B3ppp/8/8/8/NN6/5PPP/6K1 b - - 0 1", "h7h6", iteration);
        root_ply = ply - height;
        Search(beta - 1, beta, height, 120, 1);
        EXPECT_EQ(null_move_tries, 1u);
        EXPECT_EQ(threat_extensions, extended) << iteration << " " << beta;
        EXPECT_EQ(ext_mate_threat, extended);
    }
}

// In check near the horizon (from the iteration's depth in height on, two plies deep or more once
// the check has added its ply), a node with more evasions than its pawns and pieces allow
// searches them a ply shallower, which its own cell shows: with three king moves, one piece and
// two pawns allow two, three pawns three.
TEST_F(SearchTest, EvasionLimit)
{
    const std::tuple<const char*, int, bool> cases[] = {
        {"4k3/7p/8/8/8/P7/P3r3/R3K3 w - - 0 1", 2, true},
        {"4k3/7p/8/8/8/P7/P3r3/R3K3 w - - 0 1", 3, false},
        {"4k3/7p/8/8/8/PP6/P3r3/R3K3 w - - 0 1", 2, false},
    };
    for (const auto& [fen, iteration, reduced] : cases) {
        node(fen, "", iteration);
        ASSERT_EQ(legal_moves().size(), 3u) << fen;
        Search(0, 1, 2, 120, 1);
        HashEntry e;
        ASSERT_NE(hash_find(&e), nullptr);
        EXPECT_EQ(e.depth, FULL | (reduced ? 120 : 180)) << fen << " " << iteration;
    }
}

// Near the horizon a node far below alpha searches only captures, checks and promotions, and
// with none of them answers alpha. Black, a queen down: material -950, and the optimistic bound
// T = pawns -(-5) + material -950 - White's lazy bound -110 (-100, and 10 for the b3 pawn on a2
// beside White's king) = -835; the margins are 50 below two plies, 550 below three.
TEST_F(SearchTest, FutilityMargins)
{
    const std::tuple<int, int, bool> cases[] = {{60, -784, true},
                                                {60, -785, false},
                                                {120, -284, true},
                                                {120, -285, false},
                                                {180, 0, false}};
    for (const auto& [depth, alpha, futile] : cases) {
        node("7k/8/8/8/8/1p6/1P6/K2Q4 b - - 0 1");
        const int r = Search(alpha, alpha + 1, 1, depth, 1);
        EXPECT_EQ(node_total() == 1, futile) << depth << " " << alpha;  // nothing below
        EXPECT_TRUE(!futile || r == alpha) << depth << " " << r;
    }
}

// A node settles at once when alpha already holds a mate at the next ply, or beta only mates
// against the side to move sooner than it can be (unless it is in check).
TEST_F(SearchTest, MateDistancePruning)
{
    const char* quiet = "4k3/pp6/8/8/8/8/PP6/4K3 w - - 0 1";
    const char* check = "4k3/pp6/8/8/8/8/PP2r3/4K3 w - - 0 1";
    // {position, alpha, beta, the result when it settles at once (0: searched)}
    const std::tuple<const char*, int, int, int> cases[] = {
        {quiet, 29999 - 3, 30000, 29999 - 3},  {quiet, 29998 - 3, 30000, 0},
        {quiet, -30000, 3 - 29998, 3 - 29998}, {quiet, -30000, 3 - 29997, 0},
        {check, -30000, 3 - 29998, 0},
    };
    for (const auto& [fen, alpha, beta, result] : cases) {
        node(fen);
        const int r = Search(alpha, beta, 3, 60, 1);
        EXPECT_EQ(search_nodes == 0, result != 0) << fen << " " << alpha << " " << beta;
        if (result != 0) {
            EXPECT_EQ(r, result);
        }
    }
}

// A cutoff by a quiet move counts a try and a cutoff for it and a try for every move searched
// before it (here the stored move, searched first); a capture's cutoff counts nothing, and a
// node that ends inside the window credits its best move alone. The ordering bonus follows the
// counts (64 * 1 / 2 after one cutoff). The children's scores come from exact cells.
TEST_F(SearchTest, HistoryTries)
{
    const std::tuple<const char*, int, int, bool> cases[] = {
        {"d2d4", 0, 1, true}, {"d2d4", 0, 300, false}, {"g2h3", 0, 1, true}};
    for (const auto& [best_text, alpha, beta, cut] : cases) {
        node("4k3/pppp4/8/8/8/7p/PPPP2P1/4K3 w - - 0 1");
        const Move first = text_to_move("a2a3"), best = text_to_move(best_text);
        hash_store(first, 0, 0, FULL, BOUND_UPPER);  // too shallow to use: only its move
        for (Move m : legal_moves())
            plant_after(m, m == best ? -100 : 100, FULL | 600, BOUND_EXACT);
        const int side = colour_index(trait);
        EXPECT_EQ(Search(alpha, beta, 1, 60, 1), 100);
        const HistoryEntry h_first = history[side][move_index_of(first)];
        const HistoryEntry h_best = history[side][move_index_of(best)];
        const bool quiet = move_captured(best) == 0;
        EXPECT_EQ(std::tuple(h_best.tries, h_best.cutoffs, h_best.bonus, h_first.tries,
                             h_first.cutoffs, h_first.bonus),
                  std::tuple(quiet, quiet, quiet ? 32 : 0, quiet && cut, 0u, 0))
            << best_text << beta;
        uint32_t cutoffs = 0;
        for (const HistoryEntry& e : history[side]) cutoffs += e.cutoffs;
        EXPECT_EQ(cutoffs, quiet ? 1u : 0u);
    }
}

TEST_F(SearchTest, DrawsAndMates)
{
    const char* const TWICE = "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8";
    const std::tuple<const char*, const char*, int, int, int, int, int, int> cases[] = {
        {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "", -1, -INF, INF, 1, 240, -25},  // stalemate
        {"7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", "", -1, -INF, INF, 3, 120, 3 - 30000},
        {"8/8/3k4/3n4/8/3B4/3K4/8 w - - 0 1", "", -1, -10, 10, 1, 240, 25},
        {"8/8/3k4/8/8/3K4/3R4/8 b - - 0 1", "", -1, 50, 60, 1, 240, 50},  // bare king
        // Once after the root, or twice in the game before it.
        {START, "g1f3 g8f6 f3g1 f6g8", 0, -INF, INF, 1, 60, 25},
        {START, TWICE, 7, -INF, INF, 1, 60, 25},
    };
    for (const auto& [fen, moves, root_at, alpha, beta, height, depth, expected] : cases) {
        node(fen, moves, 1, root_at);
        draw_value = 25;
        EXPECT_EQ(Search(alpha, beta, height, depth, 1), expected) << fen;
    }
    node("8/8/3k4/8/8/3K4/3R4/8 w - - 0 1");  // a rook is enough to win
    draw_value = 25;
    EXPECT_GT(Search(-INF, INF, 1, 60, 1), 300);
    pos()->irreversible = -100;  // a hundred reversible plies behind this position
    EXPECT_EQ(Search(-INF, INF, 1, 60, 1), 25);
    pos()->irreversible = 0;
}

TEST_F(SearchTest, ExtensionRules)
{
    const char* const EXCHANGE = "4k3/8/4p3/3n4/8/4N3/8/R3K3 w - - 0 1";
    const std::tuple<const char*, const char*, int, int, int, int, int, int> cases[] = {
        {"4k3/8/8/8/8/8/8/4K2R w - - 0 1", "h1h8", 1, 1, 1, 0, 60, 1},
        {"4k3/p7/8/8/8/8/3r4/3RK3 b - - 0 1", "d2d1 e1d1", 1, 2, 1, 60, 180, 2},
        {"4k3/8/8/8/8/1p6/8/4K3 b - - 0 1", "b3b2", 1, 1, 1, 0, 60, 4},
        {"4k3/8/8/8/8/1p6/8/4K3 b - - 0 1", "b3b2", 1, 1, 1, 60, 0, 0},
        {EXCHANGE, "e3d5 e6d5", 2, 2, 1000, 60, 60, 2},
        {EXCHANGE, "e3d5 e6d5", 1, 2, 1000, 60, 0, 0},
    };
    for (const auto& [fen, moves, iteration, height, beta, depth, amount, kind] : cases) {
        node(fen, moves);
        iteration_depth = iteration;
        ply_info[height].extension = 7;
        EXPECT_EQ(extensions(0, beta, height, depth), amount) << fen << height;
        EXPECT_EQ(ply_info[height].extension, kind) << fen << " " << height;
    }
}

TEST_F(SearchTest, HashAllowsNullOnlyWithoutADeepEnoughUpperBoundBelowBeta)
{
    const int cases[][5] = {
        // stored score, depth field, bound, depth asked, allowed (beta 100)
        {50, FULL | 120, BOUND_UPPER, 300, 0},  {50, FULL | 120, BOUND_UPPER, 301, 1},
        {50, FULL | 120, BOUND_EXACT, 300, 0},  {50, FULL | 120, BOUND_LOWER, 300, 1},
        {100, FULL | 120, BOUND_UPPER, 300, 1}, {50, 60, BOUND_UPPER, 240, 0},
    };
    for (const auto& c : cases) {
        node("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
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
        EXPECT_EQ(std::tuple(p.move1, p.move2, p.count1, p.count2),
                  std::tuple(want.move1, want.move2, want.count1, want.count2));
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
        node(fen, last_text);
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
