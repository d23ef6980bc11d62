// The thinking lines of the xboard mode and the console, made from the search's reports: byte for
// byte under a stub clock, the position left as it was, and the statistics block.
#include "frontend/think_lines.h"

#include <gtest/gtest.h>

#include <tuple>

#include "../search/think_support.h"
#include "core/makemove.h"
#include "core/material.h"
#include "core/position_snapshot.h"
#include "eval/evaluation.h"
#include "eval/kingsafety.h"
#include "eval/pawns.h"
#include "movegen/movegen.h"
#include "search/quiescence.h"
#include "search/search.h"
#include "search/statictests.h"
#include "search/think_info.h"

namespace {

const Move RA8 = make_move_word(SQ_A1, SQ_A8, ROOK);

// Ra8+ Kd7 in the table, 123456 nodes, iteration 7, root move 3 of 14, root alpha -20, and
// 2456 ms spent by the stub clock.
void printing_state()
{
    ASSERT_EQ(setup_fen("4k3/8/8/8/8/8/8/R3K3 w - - 0 1"), 0);
    clear_caches();
    hash_store(RA8, 0, 0, 60 | DEPTH_FULL_WIDTH, BOUND_EXACT);
    make_move(RA8);
    hash_store(make_move_word(SQ_E8, SQ_D8 - 1, KING), 0, 0, 60 | DEPTH_FULL_WIDTH, BOUND_EXACT);
    unmake_move(RA8);
    clear_statistics();  // after the moves: a slow-check build's checks probe the material cache
    search_nodes = 100000, superq_nodes = 20000, quiescence_nodes = 3456;
    iteration_depth = 7, root_index = 2, root_count = 14, root_alpha = -20;
    clock_source = stub_clock;
    search_start = 1000, stub_now = 3456, stub_step = 0;
}

// Lines 0-2 are the iteration, fail-high and fail-low lines, 3 and 4 a root line without and
// with a full-window re-search.
SearchReport line_report(int line, int score)
{
    const SearchEvent kinds[3] = {SearchEvent::ITERATION, SearchEvent::FAIL_HIGH,
                                  SearchEvent::FAIL_LOW};
    if (line < 3) return {kinds[line], score};
    return {SearchEvent::NEW_BEST, score, RA8, line == 4};
}

TEST(ThinkLines, LinesOfBothModesByteForByte)
{
    ThinkSettings settings;
    printing_state();
    // {mode, a line (0 iteration, 1 fail high, 2 fail low, 3 root, 4 re-searched root), score,
    // text}
    const std::tuple<uint32_t, int, int, const char*> cases[] = {
        {MODE_TEXT, 0, 35, "[ 7   2456   123456 ]   35 = Ra8+ Kd7 \n"},
        {MODE_TEXT, 1, 35, "| 7   2456   123456 |   35 ^ Ra8+ Kd7 \n"},
        {MODE_TEXT, 2, -35, "| 7   2456   123456 |  -35 V Ra8+ Kd7 \n"},
        {MODE_TEXT, 3, 15, "| 7   2456   123456 |   15 = Ra1a8 3/14 (50K/s)\n"},
        {MODE_TEXT, 4, 15, "| 7   2456   123456 |   15 + Ra1a8 3/14 (50K/s)\n"},
        {MODE_TEXT, 4, -20, "| 7   2456   123456 |  -20 v Ra1a8 3/14 (50K/s)\n"},
        {MODE_XBOARD, 0, 35, " 7  35   245   123456  Ra8+ Kd7 \n"},
        {MODE_XBOARD, 1, 35, " 7  35   245   123456  ++ Ra8+ Kd7 \n"},
        {MODE_XBOARD, 2, -35, " 7 -35   245   123456  -- Ra8+ Kd7 \n"},
        {MODE_XBOARD, 3, 15, " 7  15   245   123456  Ra1a8 3/14 (50K/s)\n"},
        {MODE_XBOARD, 4, 15, " 7  15   245   123456  + Ra1a8 3/14 (50K/s)\n"},
        {MODE_XBOARD, 4, -20, " 7 -20   245   123456  -- Ra1a8 3/14 (50K/s)\n"},
    };
    const PositionSnapshot before = take_snapshot();
    for (const auto& [mode, line, score, expected] : cases) {
        mode_flags = mode;
        EXPECT_EQ(capture_stdout([&] { think_lines_report(line_report(line, score)); }), expected);
    }
    EXPECT_EQ(first_difference(before, take_snapshot()), "");
    // Without show_thinking the text lines and the root lines go, the xboard iteration lines
    // stay; no rate up to 100 ms.
    show_thinking = 0, stub_now = 1100, mode_flags = MODE_TEXT;
    EXPECT_EQ(capture_stdout([] { think_lines_report({SearchEvent::ITERATION, 1}); }), "");
    mode_flags = MODE_XBOARD;
    EXPECT_EQ(capture_stdout([] {
                  think_lines_report({SearchEvent::ITERATION, 1});
              }),
              " 7   1    10   123456  Ra8+ Kd7 \n");
    EXPECT_EQ(capture_stdout([] { think_lines_report({SearchEvent::NEW_BEST, 1, RA8}); }), "");
    show_thinking = 1;
    EXPECT_EQ(capture_stdout([] {
                  think_lines_report({SearchEvent::NEW_BEST, 1, RA8});
              }),
              " 7   1    10   123456  Ra1a8 3/14\n");
}

// The statistics block of these counters, byte for byte, is tests/data/statistics_block.txt.
TEST(ThinkLines, StatisticsBlock)
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
    EXPECT_EQ(capture_stdout(print_statistics),
              file_text(QUARVELIN_TEST_DATA "/statistics_block.txt"));
}

}  // namespace
