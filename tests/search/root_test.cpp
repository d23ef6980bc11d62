// The think driver: its printed lines byte for byte under a stub clock, mates found with their
// exact score and an early end, draws and roots without moves, the position left intact by every
// kind of think (also stopped ones), the start from a stored cell, the single-move answer and the
// limits of the poll.
#include "search/root.h"

#include <gtest/gtest.h>

#include <regex>

#include "core/position_snapshot.h"
#include "eval/evaluation.h"
#include "movegen/movegen.h"
#include "movegen/notation.h"
#include "search/output.h"
#include "search/quiescence.h"
#include "search/search.h"
#include "think_support.h"

namespace {

const Move RA8 = make_move_word(SQ_A1, SQ_A8, ROOK);

// Ra8+ Kd7 in the table, 123456 nodes, iteration 7, root move 3 of 14, root alpha -20, and
// 2456 ms spent by the stub clock.
void printing_state()
{
    ASSERT_EQ(setup_fen("4k3/8/8/8/8/8/8/R3K3 w - - 0 1"), 0);
    clear_caches();
    clear_statistics();
    hash_store(RA8, 0, 0, 60 | DEPTH_FULL_WIDTH, BOUND_EXACT);
    make_move(RA8);
    hash_store(make_move_word(SQ_E8, SQ_D8 - 1, KING), 0, 0, 60 | DEPTH_FULL_WIDTH, BOUND_EXACT);
    unmake_move(RA8);
    search_nodes = 100000, superq_nodes = 20000, quiescence_nodes = 3456;
    iteration_depth = 7, root_index = 2, root_count = 14, root_alpha = -20;
    clock_source = stub_clock;
    search_start = 1000, stub_now = 3456, stub_step = 0;
}

TEST(RootOutput, LinesOfBothModesByteForByte)
{
    ThinkSettings settings;
    printing_state();
    const struct {
        uint32_t mode;
        int line;  // a SearchLine, or 3 a root line, 4 a re-searched root line
        int score;
        const char* expected;
    } cases[] = {
        {MODE_TEXT, LINE_ITERATION, 35, "[ 7   2456   123456 ]   35 = Ra8+ Kd7 \n"},
        {MODE_TEXT, LINE_FAIL_HIGH, 35, "| 7   2456   123456 |   35 ^ Ra8+ Kd7 \n"},
        {MODE_TEXT, LINE_FAIL_LOW, -35, "| 7   2456   123456 |  -35 V Ra8+ Kd7 \n"},
        {MODE_TEXT, 3, 15, "| 7   2456   123456 |   15 = Ra1a8 3/14 (50K/s)\n"},
        {MODE_TEXT, 4, 15, "| 7   2456   123456 |   15 + Ra1a8 3/14 (50K/s)\n"},
        {MODE_TEXT, 4, -20, "| 7   2456   123456 |  -20 v Ra1a8 3/14 (50K/s)\n"},
        {MODE_XBOARD, LINE_ITERATION, 35, " 7  35   245   123456  Ra8+ Kd7 \n"},
        {MODE_XBOARD, LINE_FAIL_HIGH, 35, " 7  35   245   123456  ++ Ra8+ Kd7 \n"},
        {MODE_XBOARD, LINE_FAIL_LOW, -35, " 7 -35   245   123456  -- Ra8+ Kd7 \n"},
        {MODE_XBOARD, 3, 15, " 7  15   245   123456  Ra1a8 3/14 (50K/s)\n"},
        {MODE_XBOARD, 4, 15, " 7  15   245   123456  + Ra1a8 3/14 (50K/s)\n"},
        {MODE_XBOARD, 4, -20, " 7 -20   245   123456  -- Ra1a8 3/14 (50K/s)\n"},
    };
    const PositionSnapshot before = take_snapshot();
    for (const auto& c : cases) {
        mode_flags = c.mode;
        EXPECT_EQ(capture_stdout([&] {
                      if (c.line <= LINE_FAIL_LOW)
                          print_search_line(static_cast<SearchLine>(c.line), c.score);
                      else
                          print_root_line(RA8, c.score, c.line == 4);
                  }),
                  c.expected);
    }
    EXPECT_EQ(first_difference(before, take_snapshot()), "");
    // Without show_thinking the text lines go and the xboard ones stay; no rate up to 100 ms.
    show_thinking = 0, stub_now = 1100, mode_flags = MODE_TEXT;
    EXPECT_EQ(capture_stdout([] { print_search_line(LINE_ITERATION, 1); }), "");
    mode_flags = MODE_XBOARD;
    EXPECT_EQ(capture_stdout([] { print_search_line(LINE_ITERATION, 1); }),
              " 7   1    10   123456  Ra8+ Kd7 \n");
    EXPECT_EQ(capture_stdout([] { print_root_line(RA8, 1, 0); }),
              " 7   1    10   123456  Ra1a8 3/14\n");
}

TEST(RootOutput, StatisticsBlock)
{
    ThinkSettings settings;
    printing_state();
    search_start = 2000;  // once the think has ended it holds the elapsed ms
    make_move_calls = 5, genere_calls = 1, captures_calls = 2, promotions_calls = 3;
    evasions_calls = 4, echecs_calls = 5, ext_in_check = 6, ext_recapture = 7;
    ext_promotion = 8, ext_mate_threat = 9, eval_probes = 61728, eval_hits = 999;
    hash_probes = 3, hash_hits = 1, hash_stores = 2, hash_collisions = 1;
    search_cutoffs = 99, first_move_cutoffs = 90;
    search_nodes_by_height[1] = search_nodes_by_height[2] = superq_nodes_by_height[3] = 1;
    quiescence_nodes_by_height[4] = 1;
    const std::string rule(77, '-');
    EXPECT_EQ(capture_stdout(print_statistics),
              rule +
                  "\nmake_move 5\nsearch 100000 / super 20000 / quiescence 3456\n"
                  "Gen> coup 1 / capt 2 / promo 3 / escp 4 / + 5\n"
                  "Ext> in_check 6 / reprise 7 / promo 8 / null_move 9\n"
                  "Pawn> 0 / 0 [0.00 %]\nKing> 0 / 0 [0.00 %]\nMato> 0 / 0 [0.00 %]\n"
                  "Eval> 999 / 61728 [1.62 %]\nHprb> 1 / 3 [25.00 %]\nHcol> 1 / 2 [33.33 %]\n"
                  "Null> 0 / 0 [0.00 %]\nPMAP> 0 / 0 [0.00 %]\n"
                  "noeuds 123456 - noeuds/s 61728 - eval/noeud 50.00 % - 1st cut 90.00 %\n"
                  "-[ 4 ]-\n( 2000 ms )\n" +
                  rule + "\n");
}

TEST(Mates, FoundAtFixedDepthWithExactScoreAndMove)
{
    ThinkSettings settings;
    const struct {
        const char* fen;
        int plies;
        const char* move;
    } cases[] = {
        {"r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4", 1, "h5f7"},
        {"7k/8/5K2/8/8/8/8/6R1 w - - 0 1", 3, "f6f7"},
        {"r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 1", 3, "d5f6"},
        {"1rb4r/pkPp3p/1b1P3n/1Q6/N3Pp2/8/P1P3PP/7K w - - 1 1", 3, "b5d5"},
        {"r1b1kb1r/pppp1ppp/5q2/4n3/3KP3/2N3PN/PPP4P/R1BQ1B1R b kq - 0 1", 5, "f8c5"},
    };
    for (const auto& c : cases)
        for (const std::string& fen : {std::string(c.fen), colour_mirrored_fen(c.fen)}) {
            // A deeper limit than needed: the think ends with the iteration that found the mate.
            ThinkSettings::fixed_depth(c.plies + 3);
            ASSERT_EQ(setup_fen(fen), 0) << fen;
            const PositionSnapshot before = take_snapshot();
            const Move m = think(fen);
            EXPECT_EQ(last_score, MAX_SCORE - c.plies) << fen;
            EXPECT_EQ(iteration_depth, c.plies) << fen;
            EXPECT_TRUE(fen != c.fen || m == text_to_move(c.move)) << fen;
            EXPECT_EQ(first_difference(before, take_snapshot()), "") << fen;
        }
}

TEST(Mates, DrawsAndRootsWithoutMovesScoreFromTheSideToMove)
{
    ThinkSettings settings;
    ThinkSettings::fixed_depth(2);
    draw_value = 25;  // for White
    const struct {
        const char* fen;
        bool has_move;
        int score;  // from the side to move's view
    } cases[] = {
        {"4k3/8/8/8/8/8/1q6/K7 w - - 0 1", true, 25},  // Kxb2 leaves two bare kings
        {"4K3/8/8/8/8/8/1Q6/k7 b - - 0 1", true, -25},
        {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", false, -25},         // stalemate at the root
        {"7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", false, -MAX_SCORE},  // mated at the root
    };
    for (const auto& c : cases) {
        EXPECT_EQ(think(c.fen) != 0, c.has_move) << c.fen;
        EXPECT_EQ(last_score, c.score) << c.fen;
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
            EXPECT_EQ(consistency_errors(), "") << fen;
            sort_root_list();  // the move found last holds the newest tag: it sorts first
            EXPECT_TRUE(kind > 0 || root_list[0].move == m) << fen;
        }
}

std::string think_from_cell(const char* fen, Move m, int score, int depth_field)
{
    clock_source = stub_clock;
    EXPECT_EQ(setup_fen(fen), 0);
    clear_caches();
    hash_store(m, score, 0, depth_field | DEPTH_FULL_WIDTH, BOUND_EXACT);
    return capture_stdout([] { Reflexion(); });
}

TEST(Think, StartsFromAnExactCellAtItsDepth)
{
    ThinkSettings settings;
    const char* fen = "8/8/8/3k4/8/8/3P4/3K4 w - - 0 1";
    const Move d2d3 = make_move_word(SQ_D1 + 1, SQ_D1 + 2, PAWN);
    ThinkSettings::fixed_depth(9);  // the stored depth is beyond the limit: no search at all
    think_from_cell(fen, d2d3, 77, 600);
    EXPECT_EQ(last_score, 77);
    EXPECT_EQ(node_total(), 0u);
    ThinkSettings::fixed_depth(10);  // one iteration, at depth 10
    const std::string out = think_from_cell(fen, d2d3, 77, 600);
    EXPECT_NE(out.find("\n10 "), std::string::npos) << out;
    EXPECT_EQ(out.find("\n 9 "), std::string::npos) << out;
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

// Stops by nodes and time are covered by the stopped thinks above; here what they leave out.
TEST(Clock, AnalysisIgnoresLimitsButKeepsTheMinimumDepth)
{
    ThinkSettings settings;
    min_depth = 3, max_depth = 6, iteration_depth = 7;
    EXPECT_FALSE(may_start_iteration());
    analyse_mode = 1, min_depth = 7;
    EXPECT_TRUE(may_start_iteration());
    time_control_mode = TC_TIME_PER_MOVE, time_per_move_ms = 0;
    allocate_time(1, 0);
    EXPECT_EQ(limits_reached(), 0);
    analyse_mode = 0;
    EXPECT_EQ(limits_reached(), 1);
    pendule[WHITE].remaining = 100;  // the fixed-limit modes add up the time spent
    charge_clock(1, 250);
    EXPECT_EQ(pendule[WHITE].remaining, 350);
}

}  // namespace
