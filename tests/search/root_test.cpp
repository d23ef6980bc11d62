// The think driver: mates found with their exact score and an early end, draws and roots without moves, the position left intact by every
// kind of think (also stopped ones), the start from a stored cell, the single-move answer, the
// book, the aspiration windows, and RootSearch's tags, fail flag, stores and re-search.
#include "search/root.h"

#include <gtest/gtest.h>

#include <regex>
#include <tuple>

#include "core/position_snapshot.h"
#include "eval/evaluation.h"
#include "movegen/movegen.h"
#include "movegen/notation.h"
#include "search/think_info.h"
#include "search/quiescence.h"
#include "search/search.h"
#include "search/search_link.h"
#include "think_support.h"

namespace {

TEST(Mates, FoundAtFixedDepthWithExactScoreAndMove)
{
    ThinkSettings settings;
    const std::tuple<const char*, int, const char*> cases[] = {
        {"r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4", 1, "h5f7"},
        {"7k/8/5K2/8/8/8/8/6R1 w - - 0 1", 3, "f6f7"},
        {"r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 1", 3, "d5f6"},
        {"1rb4r/pkPp3p/1b1P3n/1Q6/N3Pp2/8/P1P3PP/7K w - - 1 1", 3, "b5d5"},
        {"r1b1kb1r/pppp1ppp/5q2/4n3/3KP3/2N3PN/PPP4P/R1BQ1B1R b kq - 0 1", 5, "f8c5"},
    };
    for (const auto& [fen, plies, move] : cases)
        for (const std::string& f : {std::string(fen), colour_mirrored_fen(fen)}) {
            // A deeper limit than needed: the think ends with the iteration that found the mate.
            ThinkSettings::fixed_depth(plies + 3);
            ASSERT_EQ(setup_fen(f), 0) << f;
            const PositionSnapshot before = take_snapshot();
            const Move m = think(f);
            EXPECT_EQ(last_score, MAX_SCORE - plies) << f;
            EXPECT_EQ(iteration_depth, plies) << f;
            EXPECT_TRUE(f != fen || m == text_to_move(move)) << f;
            EXPECT_EQ(first_difference(before, take_snapshot()), "") << f;
        }
}

TEST(Mates, DrawsAndRootsWithoutMovesScoreFromTheSideToMove)
{
    ThinkSettings settings;
    ThinkSettings::fixed_depth(2);
    draw_value = 25;  // for White
    // {position, a move to play, the score from the side to move's view}
    const std::tuple<const char*, bool, int> cases[] = {
        {"4k3/8/8/8/8/8/1q6/K7 w - - 0 1", true, 25},  // Kxb2 leaves two bare kings
        {"4K3/8/8/8/8/8/1Q6/k7 b - - 0 1", true, -25},
        {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", false, -25},         // stalemate at the root
        {"7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", false, -MAX_SCORE},  // mated at the root
    };
    for (const auto& [fen, has_move, score] : cases) {
        EXPECT_EQ(think(fen) != 0, has_move) << fen;
        EXPECT_EQ(last_score, score) << fen;
    }
}

TEST(Think, LeavesPositionIntactAlsoWhenStopped)
{
    ThinkSettings settings;
    clock_source = stub_clock, stub_step = 1;
    for (const char* fen : {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                            "rnbqkbnr/ppp2ppp/8/1B1pp3/4P3/8/PPPP1PPP/RNBQK1NR b KQkq - 1 3"})
        for (int kind = 0; kind < 3; ++kind) {  // depth 3, then stopped by nodes or by time
            ThinkSettings::fixed_depth(3);
            if (kind > 0) min_depth = 1, max_depth = 40, max_nodes = 300, time_per_move_ms = 40;
            if (kind > 0) time_control_mode = kind == 1 ? TC_FIXED_NODES : TC_TIME_PER_MOVE;
            ASSERT_EQ(setup_fen(fen), 0);
            const PositionSnapshot before = take_snapshot();
            allocate_time(trait, ply);
            const Move m = think(fen);
            EXPECT_NE(m, 0u) << fen << " kind " << kind;
            EXPECT_EQ(search_stopped, kind > 0 ? 1 : 0) << fen << " kind " << kind;
            EXPECT_EQ(first_difference(before, take_snapshot()), "") << fen << " kind " << kind;
            sort_root_list();  // the move found last holds the newest tag: it sorts first
            EXPECT_TRUE(kind > 0 || root_list[0].move == m) << fen;
        }
}

TEST(Think, SingleLegalMoveInAClockModeIsPlayedWithoutSearch)
{
    ThinkSettings settings;
    time_control_mode = TC_GAME;  // the fixed-depth modes search it (see the draw tests)
    std::string out;
    EXPECT_EQ(think("4k3/8/8/8/8/8/1q6/K7 w - - 0 1", &out),
              make_move_word(SQ_A1, SQ_B1 + 1, KING, QUEEN));
    EXPECT_EQ(last_score, 0);
    EXPECT_TRUE(std::regex_match(out, std::regex(R"(0 -?\d+ 0 0 Ka1xb2 \{-950 -?\d+ -?\d+\}\n)")));
}

// Every window of the thinks below, read whenever a root move reports a new best: ±30 around
// the last score, then after each fail the window grows four times towards the failing side
// (30, 120, then the score bound past 200); a new iteration starts again at ±30. The fail-low
// flag is up exactly while the driver re-searches after a fail low.
struct WindowRule {
    int last = -MAX_SCORE, delta = 30, lo = -MAX_SCORE, hi = MAX_SCORE;
    bool failing_low = false;
    int windows = 0, second_highs = 0, second_lows = 0;
    std::string errors;  // the thinks' output is captured: failures are kept for later
    void start(int score)
    {
        last = score, delta = 30, failing_low = false;
        lo = last == -MAX_SCORE ? -MAX_SCORE : last - 30;
        hi = last == -MAX_SCORE ? MAX_SCORE : last + 30;
    }
    void on(SearchEvent e, int score)
    {
        if (e == SearchEvent::NEW_BEST) {
            ++windows;
            if (root_alpha != lo || root_beta != hi || ((root_fail_flags & 1) != 0) != failing_low)
                errors += std::to_string(iteration_depth) + ": (" + std::to_string(root_alpha) +
                          ", " + std::to_string(root_beta) + ") flags " +
                          std::to_string(root_fail_flags) + ", expected (" + std::to_string(lo) +
                          ", " + std::to_string(hi) + ")\n";
        } else if (e == SearchEvent::ITERATION) {
            start(score);
        } else if (e != SearchEvent::FIRST_MOVE) {
            second_highs += e == SearchEvent::FAIL_HIGH && delta == 120;
            second_lows += e == SearchEvent::FAIL_LOW && delta == 120;
            delta *= 4;
            failing_low = e == SearchEvent::FAIL_LOW;
            lo = failing_low ? (delta > 200 ? -MAX_SCORE : score - delta) : score;
            hi = failing_low ? score : (delta > 200 ? MAX_SCORE : score + delta);
        }
    }
};
WindowRule* window_rule;

TEST(Think, AspirationWindowsWidenFourfoldThenToTheBound)
{
    ThinkSettings settings;
    WindowRule rule;
    window_rule = &rule;
    search_link.report = [](const SearchReport& r) { window_rule->on(r.event, r.score); };
    const char* wac[] = {"2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - -",
                         "r1b1kb1r/3q1ppp/pBp1pn2/8/Np3P2/5B2/PPP3PP/R2Q1RK1 w kq -"};
    for (const char* fen : wac) {
        ThinkSettings::fixed_depth(5);
        rule.start(-MAX_SCORE);
        think(fen);
    }
    // A stored exact score far from the truth makes the first iteration fail at once.
    for (int stored : {600, -600}) {
        ThinkSettings::fixed_depth(3);
        ASSERT_EQ(setup_fen(START), 0);
        clear_caches();
        hash_store(make_move_word(SQ_G1, SQ_G1 + 19, KNIGHT), stored, 0, 60 | DEPTH_FULL_WIDTH,
                   BOUND_EXACT);
        rule.start(stored);
        capture_stdout([] { Reflexion(); });
    }
    EXPECT_EQ(rule.errors, "");
    EXPECT_GT(rule.windows, 20);
    EXPECT_GT(rule.second_highs, 0);
    EXPECT_GT(rule.second_lows, 0);
    EXPECT_EQ(root_fail_flags & 1, 0u);
}

// RootSearch over a root list of our own, each move's reply position holding a cell (from the
// replying side's view; exact unless told) that answers at once.
struct RootCase {
    const char* move;
    int score;  // from the root's view
    int tag;    // before the search
    uint32_t bound = BOUND_EXACT;
};
int search_root(const std::vector<RootCase>& moves, int alpha, int beta, Move* best)
{
    EXPECT_EQ(setup_fen("4k3/pppp4/8/8/8/8/PPPP4/R3K3 w - - 0 1"), 0);
    clear_caches();
    clear_statistics();
    root_count = 0;
    for (const RootCase& c : moves) {
        const Move m = text_to_move(c.move);
        make_move(m);
        hash_store(0, -c.score, 0, DEPTH_FULL_WIDTH | 600, c.bound);
        unmake_move(m);
        root_list[root_count++] = RootEntry{m, uint32_t(c.tag) << TAG_SHIFT};
    }
    root_fail_flags = 0;
    int r = 0;
    capture_stdout([&] { r = RootSearch(best, alpha, beta, 60); });
    return r;
}

std::vector<int> tags()
{
    std::vector<int> out;
    for (int i = 0; i < root_count; ++i) out.push_back(int(root_list[i].weight >> TAG_SHIFT));
    return out;
}

// The first move takes tag 1 (the count starts again) when it has none; a later new best takes
// the next tag while fewer than five were given, else the newest, and the tags of the moves
// before it step back one.
TEST(RootSearchRules, TagsFollowTheNewBestMoves)
{
    ThinkSettings settings;
    // {root list, tag counter before and after, tags after}
    const std::tuple<std::vector<RootCase>, int, int, std::vector<int>> cases[] = {
        {{{"a2a3", 10, 0}, {"b2b3", 20, 0}, {"c2c3", 30, 0}, {"d2d3", 5, 0}}, 4, 3, {1, 2, 3, 0}},
        {{{"a2a3", 10, 2}, {"b2b3", 20, 1}, {"c2c3", 5, 0}}, 2, 2, {1, 2, 0}},
        {{{"a2a3", 10, 5}, {"b2b3", 20, 3}, {"c2c3", 30, 4}, {"d2d3", 5, 0}}, 5, 5, {3, 4, 5, 0}},
        {{{"a2a3", 10, 5}, {"b2b3", 5, 0}, {"c2c3", 20, 0}}, 5, 5, {4, 0, 5}},
        {{{"a2a3", 10, 1}, {"b2b3", 5, 2}, {"c2c3", 20, 0}}, 5, 5, {0, 1, 5}},  // 1 steps back to 0
    };
    for (const auto& [moves, counter_before, counter_after, after] : cases) {
        tag_counter = counter_before;
        Move best = 0;
        const int r = search_root(moves, -MAX_SCORE, MAX_SCORE, &best);
        EXPECT_EQ(tags(), after);
        EXPECT_EQ(tag_counter, counter_after);
        int top = -MAX_SCORE;
        for (const RootCase& m : moves) top = std::max(top, m.score);
        EXPECT_EQ(r, top);
    }
}

// Bit 1 of the fail flags is up while the best score is at or below root alpha; the exact store
// of the root is made only above it, a fail high stores a lower bound at once.
TEST(RootSearchRules, FailFlagAndTheRootsStore)
{
    ThinkSettings settings;
    // {alpha, beta, the second move's score, result, flag, the bound stored (0: none)}
    const std::tuple<int, int, int, int, bool, uint32_t> cases[] = {
        {100, 200, 50, 50, true, 0},
        {100, 200, 150, 150, false, BOUND_EXACT},
        {100, 200, 250, 250, false, BOUND_LOWER},
        {-100, 50, 100, 100, false, BOUND_LOWER}};
    for (const auto& [alpha, beta, second, result, flag, bound] : cases) {
        Move best = 0;
        const std::vector<RootCase> moves = {{"a2a3", 30, 0}, {"b2b3", second, 0}, {"c2c3", 0, 0}};
        EXPECT_EQ(search_root(moves, alpha, beta, &best), result);
        EXPECT_EQ((root_fail_flags & 2) != 0, flag) << second;
        EXPECT_EQ(best, flag ? 0u : text_to_move("b2b3")) << second;
        HashEntry cell;
        EXPECT_EQ(hash_find(&cell) ? cell.packed & BOUND_EXACT : 0u, bound) << second;
    }
}

// A later root move that beats alpha in its null window is searched again from its score up to
// beta: here its reply holds only an upper bound, so the null window learns no more than that
// bound, and the re-search finds the move's real value (a rook up).
TEST(RootSearchRules, ReSearchFromTheNullWindowScoreUpToBeta)
{
    ThinkSettings settings;
    Move best = 0;
    EXPECT_GT(
        search_root({{"a2a3", 0, 0}, {"b2b3", 100, 0, BOUND_UPPER}}, -MAX_SCORE, MAX_SCORE, &best),
        300);
    EXPECT_EQ(best, text_to_move("b2b3"));
}

// A think starts from the position's cell, at its depth around its score, when the cell is
// exact or the search ponders; otherwise at depth 1 with the full window. A stored depth beyond
// the maximum leaves the stored move and score without any search.
TEST(Think, StartsFromAStoredCell)
{
    ThinkSettings settings;
    struct First {
        int depth = 0, alpha = 0, beta = 0;
    } static first;
    search_link.report = [](const SearchReport& r) {
        if (r.event == SearchEvent::NEW_BEST && first.depth == 0)
            first = First{iteration_depth, root_alpha, root_beta};
    };
    const Move d4 = text_to_move("d2d4");
    // {bound, ponder, maximum depth, then the first window: depth (0: none), alpha, beta}
    const std::tuple<uint32_t, int, int, int, int, int> cases[] = {
        {BOUND_EXACT, 0, 3, 3, 10, 70},
        {BOUND_LOWER, 1, 3, 3, 10, 70},
        {BOUND_LOWER, 0, 3, 1, -MAX_SCORE, MAX_SCORE},
        {BOUND_EXACT, 0, 2, 0, 0, 0}};
    for (const auto& [bound, ponder, max_depth, depth, alpha, beta] : cases) {
        ThinkSettings::fixed_depth(max_depth);
        ASSERT_EQ(setup_fen("4k3/pppp4/8/8/8/8/PPPP4/4K3 w - - 0 1"), 0);
        clear_caches();
        hash_store(d4, 40, 0, DEPTH_FULL_WIDTH | 180, bound);
        first = First{};
        ponder_search = ponder;
        Move m = 0;
        capture_stdout([&] { m = Reflexion(); });
        ponder_search = 0;
        EXPECT_EQ(std::tuple(first.depth, first.alpha, first.beta), std::tuple(depth, alpha, beta));
        if (depth == 0) {
            EXPECT_TRUE(m == d4 && last_score == 40 && node_total() == 0);
        }
    }
}

// The book answers the engine's own thinks with score 0 and no search; analysis never asks it.
TEST(Think, BookAnsweredOutsideAnalysisOnly)
{
    ThinkSettings settings;
    static int asked;
    search_link.book_move = [] { return ++asked, text_to_move("h2h4"); };
    for (const int analysis : {0, 1}) {
        asked = 0;
        analyse_mode = analysis;
        last_score = 123;
        clear_statistics();
        const Move m = think(START);
        analyse_mode = 0;
        EXPECT_EQ(asked, analysis ? 0 : 1);
        EXPECT_EQ(m == text_to_move("h2h4"), !analysis);
        EXPECT_EQ(node_total() > 0, analysis == 1);
        EXPECT_TRUE(analysis || last_score == 0);
    }
}

}  // namespace
