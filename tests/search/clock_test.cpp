// The clock modes' arithmetic under a stub clock: the three allocations with the recapture
// halving and the 10 ms floor, the extensions' two limits, the iteration test and the charges.
#include "search/clock.h"

#include <gtest/gtest.h>

#include "core/board.h"
#include "core/makemove.h"
#include "frontend/settings.h"
#include "platform/platform.h"
#include "search/hash.h"
#include "test_support.h"

namespace {

int64_t stub_now;
int64_t stub_time() { return stub_now; }

struct ClockTest : testing::Test {
    void SetUp() override
    {
        engine_init_for_tests();
        setup_fen("rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 2");
        clear_caches();
        clock_source = stub_time;
        stub_now = 5000;
        operator_time = 0;
    }
    void TearDown() override
    {
        clock_source = now_ms;
        time_control_mode = TC_TIME_PER_MOVE;
        clear_clocks();
    }
    // The allocation of White's move at game ply `at`, with what allocate_time printed.
    int32_t allocate(int32_t remaining, int at, std::string* printed = nullptr)
    {
        pendule[WHITE].remaining = remaining;
        const std::string out = capture_stdout([&] { allocate_time(1, at); });
        if (printed) *printed = out;
        EXPECT_EQ(clock_start, stub_now);
        return move_allocation;
    }
};

}  // namespace

TEST_F(ClockTest, SetLevelChoosesTheModeAndResetsClocksAndDepths)
{
    const struct {
        int moves, base, increment, mode;
    } cases[] = {{40, 300, 0, TC_MOVES}, {0, 300, 0, TC_GAME}, {0, 60, 2, TC_INCREMENT}};
    for (const auto& c : cases) {
        min_depth = max_depth = 3;
        set_level(c.moves, c.base, c.increment);
        EXPECT_EQ(time_control_mode, c.mode);
        EXPECT_EQ(min_depth, 5);
        EXPECT_EQ(max_depth, 42);
        for (const Pendule& p : pendule) {
            EXPECT_EQ(p.moves_per_control, c.moves);
            EXPECT_EQ(p.base, c.base * 1000);
            EXPECT_EQ(p.increment, c.increment * 1000);
            EXPECT_EQ(p.remaining, c.base * 1000);
        }
    }
}

TEST_F(ClockTest, AllocationsOfTheThreeClockModes)
{
    const struct {
        int moves, base, increment, remaining, at, expected;
    } cases[] = {
        {0, 300, 0, 300000, 0, 7500},  // a fortieth of the game's time
        {40, 300, 0, 300000, 0, 7500},
        {40, 300, 0, 300000, 70, 40000},  // five moves left: 2R / 15
        {0, 60, 2, 60000, 0, 3500},       // R / 40 + increment
        {0, 60, 2, 6000, 0, 2000},        // little left: the increment only
        {0, 1, 0, 100, 0, 10},            // never below 10 ms
    };
    for (const auto& c : cases) {
        set_level(c.moves, c.base, c.increment);
        EXPECT_EQ(allocate(c.remaining, c.at), c.expected) << c.remaining << " at " << c.at;
        EXPECT_EQ(base_allocation, c.expected);
        EXPECT_EQ(current_limit, c.expected);
    }
    std::string out;
    set_level(40, 300, 0);
    allocate(300000, 70, &out);
    EXPECT_EQ(out, "Temps:  0: 5: 0 (300000 ms)\n5 coups restants avant gain de temps\n"
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
    const Move recapture = make_move_word(SQ_D8, square_named("d5"), QUEEN, PAWN);
    const Move elsewhere = make_move_word(SQ_G8, square_named("f6"), KNIGHT);
    const struct {
        Move expected_reply;
        int32_t allocation;
    } cases[] = {{elsewhere, 7500}, {recapture, 3750}};
    for (const auto& c : cases) {
        hash_store(c.expected_reply, 0, 0, 60 | DEPTH_FULL_WIDTH, BOUND_EXACT);
        pendule[BLACK].remaining = 300000;
        capture_stdout([] { allocate_time(-1, ply); });
        EXPECT_EQ(move_allocation, c.allocation);
    }
    unmake_move(capture);
}

TEST_F(ClockTest, ExtensionsDoubleUpToFourTimesAndAShareOfTheRest)
{
    const struct {
        int moves, increment;
        int32_t remaining_later;
        int32_t answers[3];
    } cases[] = {
        {0, 0, 40000, {2000, 4000, 0}},   // four times the base of 1000 ms
        {40, 0, 40000, {2000, 4000, 0}},
        {0, 0, 12000, {0, 0, 0}},         // an eighth of what is left
        {40, 0, 12000, {2000, 0, 0}},     // a quarter of what is left
    };
    for (const auto& c : cases) {
        set_level(c.moves, 300, c.increment);
        ASSERT_EQ(allocate(40000, 0), 1000);
        pendule[WHITE].remaining = c.remaining_later;
        for (int32_t expected : c.answers) EXPECT_EQ(time_operations.extend(1), expected);
    }
}

TEST_F(ClockTest, IterationTestAndCharges)
{
    set_level(0, 60, 2);
    allocate(40000, 0);  // 1000 + 2000 ms
    stub_now += 1999;
    EXPECT_FALSE(time_operations.iteration_over());
    stub_now += 2;
    EXPECT_TRUE(time_operations.iteration_over());
    charge_clock(1, 1500);
    EXPECT_EQ(pendule[WHITE].remaining, 40000 - 1500 + 2000);
    time_control_mode = TC_TIME_PER_MOVE;
    charge_clock(-1, 700);
    EXPECT_EQ(pendule[BLACK].remaining, 60000 + 700);  // time per move: the time spent adds up
}
