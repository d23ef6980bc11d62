// Test helpers for whole thinks: a stub clock, a guard that puts the limits and output settings
// back, and fixed-depth thinks from a FEN record on empty caches with their output captured.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "book/book.h"
#include "core/run_settings.h"
#include "platform/platform.h"
#include "frontend/think_lines.h"
#include "search/clock.h"
#include "search/hash.h"
#include "search/multipv.h"
#include "search/options.h"
#include "search/root.h"
#include "search/search_link.h"
#include "search/strength.h"
#include "search/think_info.h"
#include "signature_positions.h"
#include "test_support.h"

// The stub clock reads stub_now and then moves it on by stub_step.
inline int64_t stub_now = 0, stub_step = 0;
inline int64_t stub_clock()
{
    return (stub_now += stub_step) - stub_step;
}

// Starts with no book, draw value 0, xboard mode, a fixed depth of 1 and no input read during
// the search (the test process's own input must not stop it); restores all at the end.
struct ThinkSettings {
    int32_t mode = time_control_mode, lo = min_depth, hi = max_depth, ms = time_per_move_ms;
    uint32_t nodes = max_nodes, flags = mode_flags;
    int32_t book = use_book, draw = draw_value;
    int32_t lines = multipv_lines, margin = skill_margin;
    SearchLink link = search_link;
    ThinkSettings()
    {
        engine_init_for_tests();
        use_book = draw_value = 0, show_thinking = 1, mode_flags = MODE_XBOARD;
        search_link.input = nullptr;
        fixed_depth(1);
    }
    ~ThinkSettings()
    {
        time_control_mode = mode, min_depth = lo, max_depth = hi, time_per_move_ms = ms;
        max_nodes = nodes, mode_flags = flags, use_book = book, draw_value = draw;
        show_thinking = 1, clock_source = now_ms, search_link = link;
        multipv_lines = lines, skill_margin = margin;
    }
    static void fixed_depth(int d)
    {
        time_control_mode = TC_FIXED_DEPTH, min_depth = max_depth = d;
    }
};

inline Move think(const std::string& fen, std::string* printed = nullptr)
{
    if (setup_fen(fen) != 0) return 0;
    clear_caches();
    Move m = 0;
    const std::string out = capture_stdout([&] { m = Reflexion(); });
    if (printed) *printed = out;
    return m;
}

// Two passes of fixed-depth thinks over the signature positions (the second in reverse order,
// so that no state may leak from one think to the next) must give the pinned node totals and
// the same moves. With QUARVELIN_PRINT_SIGNATURE set the totals are printed for pasting.
inline void expect_signature(int depth, const uint32_t (&pinned)[SIGNATURE_COUNT])
{
    ThinkSettings settings;
    Move first[SIGNATURE_COUNT] = {};
    uint32_t totals[SIGNATURE_COUNT] = {};
    for (int pass = 0; pass < 2; ++pass)
        for (int k = 0; k < SIGNATURE_COUNT; ++k) {
            const int i = pass == 0 ? k : SIGNATURE_COUNT - 1 - k;
            ThinkSettings::fixed_depth(depth);
            const Move best = think(SIGNATURE_POSITIONS[i]);
            const uint32_t nodes = node_total();
            if (pass == 0) first[i] = best, totals[i] = nodes;
            EXPECT_EQ(nodes, totals[i]) << SIGNATURE_POSITIONS[i];
            EXPECT_EQ(best, first[i]) << SIGNATURE_POSITIONS[i];
        }
    for (int i = 0; i < SIGNATURE_COUNT; ++i) EXPECT_EQ(totals[i], pinned[i]) << i;
    if (std::getenv("QUARVELIN_PRINT_SIGNATURE") == nullptr) return;
    for (int i = 0; i < SIGNATURE_COUNT; ++i)
        std::printf("%u,%c", totals[i], i % 6 == 5 ? '\n' : ' ');
}
