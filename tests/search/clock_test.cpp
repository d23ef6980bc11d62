// The clock modes' arithmetic under a stub clock: set_level's choice, the three allocations
// with the recapture halving and the 10 ms floor, the extensions' limits, the iteration test.
#include "search/clock.h"

#include <gtest/gtest.h>

#include "core/board.h"
#include "core/makemove.h"
#include "think_support.h"

namespace {

struct ClockTest : testing::Test {
    void SetUp() override
    {
        engine_init_for_tests();
        setup_fen("rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 2");
        clock_source = stub_clock, stub_now = 5000, stub_step = 0, operator_time = 0;
    }
    void TearDown() override { clock_source = now_ms, time_control_mode = TC_TIME_PER_MOVE; }
    // The allocation for `side` at game ply `at` with `remaining` ms left; what was printed.
    int32_t allocate(int32_t remaining, int at, int side = 1, std::string* printed = nullptr)
    {
        pendule[colour_index(side)].remaining = remaining;
        const std::string out = capture_stdout([&] { allocate_time(side, at); });
        if (printed) *printed = out;
        EXPECT_EQ(clock_start, stub_now);
        return move_allocation;
    }
};

}  // namespace

TEST_F(ClockTest, LevelsAndTheAllocationsOfTheThreeClockModes)
{
    const struct {
        int moves, base, increment, mode, remaining, at, expected;
    } cases[] = {
        {0, 300, 0, TC_GAME, 300000, 0, 7500},      // a fortieth of what is left
        {40, 300, 0, TC_MOVES, 300000, 0, 7500},    // forty moves left
        {40, 300, 0, TC_MOVES, 300000, 70, 40000},  // five left: 2R / 15
        {0, 60, 2, TC_INCREMENT, 60000, 0, 3500},   // R / 40 + increment
        {0, 60, 2, TC_INCREMENT, 6000, 0, 2000},    // little left: the increment only
        {0, 1, 0, TC_GAME, 100, 0, 10},             // never below 10 ms
    };
    for (const auto& c : cases) {
        min_depth = max_depth = 3;
        set_level(c.moves, c.base, c.increment);
        EXPECT_EQ(time_control_mode, c.mode);
        EXPECT_EQ(min_depth * 100 + max_depth, 542);
        for (const Pendule& p : pendule)
            EXPECT_EQ(p.moves_per_control + p.base + p.increment + p.remaining,
                      c.moves + 2000 * c.base + 1000 * c.increment);
        EXPECT_EQ(allocate(c.remaining, c.at), c.expected) << c.remaining << " at " << c.at;
        EXPECT_EQ(base_allocation + current_limit, 2 * c.expected);
    }
    std::string out;
    set_level(40, 300, 0);
    allocate(300000, 70, 1, &out);
    EXPECT_EQ(out,
              "Temps:  0: 5: 0 (300000 ms)\n5 coups restants avant gain de temps\n"
              "Temps de reflexion : 40000 ms\n");
    operator_time = 500;
    set_level(0, 300, 0);
    EXPECT_EQ(allocate(300000, 0), 7000);
}

TEST_F(ClockTest, ExpectedRecaptureHalvesTheAllocation)
{
    const Move capture = make_move_word(square_named("e4"), square_named("d5"), PAWN, PAWN);
    make_move(capture);
    set_level(0, 300, 0);
    const Move replies[] = {make_move_word(SQ_G8, square_named("f6"), KNIGHT),
                            make_move_word(SQ_D8, square_named("d5"), QUEEN, PAWN)};
    for (int i = 0; i < 2; ++i) {
        hash_store(replies[i], 0, 0, 60 | DEPTH_FULL_WIDTH, BOUND_EXACT);
        EXPECT_EQ(allocate(300000, ply, -1), 7500 >> i);
    }
    unmake_move(capture);
}

TEST_F(ClockTest, ExtensionsIterationTestAndCharges)
{
    // Base 1000 ms: doubled while within four times that and an eighth (whole game) or a
    // quarter (moves per control) of what is left by then.
    const struct {
        int moves;
        int32_t left_later, answers[3];
    } cases[] = {{40, 40000, {2000, 4000, 0}}, {0, 12000, {0, 0, 0}}, {40, 12000, {2000, 0, 0}}};
    for (const auto& c : cases) {
        set_level(c.moves, 300, 0);
        ASSERT_EQ(allocate(40000, 0), 1000);
        pendule[WHITE].remaining = c.left_later;
        for (int32_t expected : c.answers) EXPECT_EQ(time_operations.extend(1), expected);
    }
    set_level(0, 60, 2);
    allocate(40000, 0);  // 1000 + 2000 ms: no new iteration after two thirds of it
    stub_now += 1999;
    EXPECT_FALSE(time_operations.iteration_over());
    stub_now += 2;
    EXPECT_TRUE(time_operations.iteration_over());
    charge_clock(1, 1500);
    EXPECT_EQ(pendule[WHITE].remaining, 40000 - 1500 + 2000);
    time_control_mode = TC_TIME_PER_MOVE;
    charge_clock(-1, 700);
    EXPECT_EQ(pendule[BLACK].remaining, 60000 + 700);  // the time spent adds up
    // An interface's "otim" may say anything: the clock saturates.
    pendule[BLACK].remaining = INT32_MAX;
    charge_clock(-1, 700);
    EXPECT_EQ(pendule[BLACK].remaining, INT32_MAX);

    // An operator time as large as a setting allows, added to the time spent, does not wrap
    // round into a gain of time; nor does it upset the allocation.
    set_level(0, 60, 0);
    operator_time = INT32_MAX;
    charge_clock(1, int64_t{INT32_MAX} + 1000);
    EXPECT_EQ(pendule[WHITE].remaining, 60000 - 2147484647);
    EXPECT_EQ(allocate(INT32_MIN, 0), 10);
}
