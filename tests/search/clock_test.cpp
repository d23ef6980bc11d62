// The clock modes under a stub clock: set_level's records, each allocation on both sides of its
// thresholds, the extensions and their bounds, the poll's stops (budget, fail-low extension,
// minimum depth, fixed limits), the iteration test, the charges with the refill at the control,
// and a ponder hit's new budget and stop ratio. Every field is asserted on its own.
#include "search/clock.h"

#include <gtest/gtest.h>

#include <tuple>

#include "core/board.h"
#include "core/makemove.h"
#include "core/repetition.h"
#include "search/think_info.h"
#include "search/quiescence.h"
#include "search/search.h"
#include "search/search_link.h"
#include "think_support.h"

namespace {

struct ClockTest : testing::Test {
    InputVerdict (*saved_input)() = search_link.input;
    void SetUp() override
    {
        engine_init_for_tests();
        setup_fen("rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 2");
        clock_source = stub_clock, stub_now = 5000, stub_step = 0, operator_time = 0;
        root_fail_flags = 0, root_side = 1, ponder_search = ponder_hit = analyse_mode = 0;
        moves_to_go = 0;
    }
    void TearDown() override
    {
        clock_source = now_ms, time_control_mode = TC_TIME_PER_MOVE,
        search_link.input = saved_input;
        root_fail_flags = 0, ponder_search = ponder_hit = search_stopped = 0, moves_to_go = 0;
        min_depth = DEFAULT_MIN_DEPTH, max_depth = DEFAULT_MAX_DEPTH;
    }
    // The budget for `side` at game ply `at` with `remaining` ms left; the allocation state must
    // hold it in each of its fields, and the clock start is now.
    static int32_t budget(int32_t remaining, int at, int side = 1)
    {
        pendule[colour_index(side)].remaining = remaining;
        capture_stdout([&] { allocate_time(side, at); });
        EXPECT_EQ(std::tuple(base_allocation, current_limit, clock_start),
                  std::tuple(move_allocation, move_allocation, stub_now));
        return move_allocation;
    }
};

// The mode's operations are proven by the allocations and extensions below.
TEST_F(ClockTest, SetLevelFillsBothRecordsAndPicksTheMode)
{
    const int cases[][5] = {// moves, base, increment, mode, moves stored
                            {40, 300, 0, TC_MOVES, 40},
                            {40, 300, 5, TC_MOVES, 40},  // moves decide first
                            {0, 300, 0, TC_GAME, 0},
                            {-3, 300, 0, TC_GAME, 0},
                            {0, 60, 2, TC_INCREMENT, 0}};
    for (const auto& [moves, base, increment, mode, stored_moves] : cases) {
        min_depth = 3, max_depth = 4;
        set_level(moves, base, increment);
        EXPECT_EQ(std::tuple(time_control_mode, min_depth, max_depth), std::tuple(mode, 5, 42));
        for (const Pendule& p : pendule)
            EXPECT_EQ(std::tuple(p.moves_per_control, p.base, p.increment, p.remaining),
                      std::tuple(stored_moves, 1000 * base, 1000 * increment, 1000 * base));
    }
}

TEST_F(ClockTest, AllocationsOnBothSidesOfTheirThresholds)
{
    set_level(0, 300, 0);
    EXPECT_EQ(budget(300000, 0), 7500);  // a fortieth
    EXPECT_EQ(budget(100, 0), 10);       // never below 10 ms
    operator_time = 500;
    EXPECT_EQ(budget(300000, 0), 7000);
    operator_time = 0;

    set_level(0, 60, 2);
    EXPECT_EQ(budget(60000, 0), 60000 / 40 + 2000);
    EXPECT_EQ(budget(8001, 0), 8001 / 40 + 2000);  // more than four increments left
    EXPECT_EQ(budget(8000, 0), 2000);              // not more: the increment alone
    EXPECT_EQ(budget(4000, 0), 2000);
    EXPECT_EQ(budget(3000, 0), 1500);  // but never more than half of what is left
    EXPECT_EQ(budget(300, 0), 150);
    operator_time = 300;
    EXPECT_EQ(budget(8000, 0), 1700);
    operator_time = 0;

    // Moves left = 40 - (ply / 2) mod 40: from eight on R / min(left + 4, 40), below 2R / 3left.
    set_level(40, 300, 0);
    const int cases[][2] = {{0, 7500},   {8, 7500},    {10, 300000 / 39}, {64, 300000 / 12},
                            {66, 28571}, {78, 200000}, {80, 7500}};
    for (const auto& [at, expected] : cases) EXPECT_EQ(budget(300000, at), expected) << at;
    std::string printed;
    pendule[WHITE].remaining = 300000;
    printed = capture_stdout([] { allocate_time(1, 70); });
    EXPECT_EQ(printed,
              "Temps:  0: 5: 0 (300000 ms)\n5 coups restants avant gain de temps\n"
              "Temps de reflexion : 40000 ms\n");
    moves_to_go = 7;  // a protocol's own count overrides the control's
    EXPECT_EQ(budget(300000, 0), 28571);
    // Black's record serves Black.
    pendule[WHITE].remaining = 1000;
    EXPECT_EQ(budget(210000, 1, -1), 20000);
}

// The largest control "level" accepts, and the largest count a protocol may give: the moves
// left plus four must not overflow (the sanitizer build stops on it), and a fortieth is taken.
TEST_F(ClockTest, HugeMoveCountsTakeAFortieth)
{
    set_level_ms(INT32_MAX, 300000, 0);
    EXPECT_EQ(budget(300000, 0), 7500);
    EXPECT_EQ(budget(300000, 200), 7500);
    set_level(40, 300, 0);
    moves_to_go = INT32_MAX;
    EXPECT_EQ(budget(300000, 0), 7500);
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
        EXPECT_EQ(budget(300000, ply, -1), 7500 >> i);
    }
    unmake_move(capture);
}

// From a base of 1000 ms the limit doubles at each call (and stays doubled when refused); it is
// answered while within four times the base and an eighth (whole game) or a quarter (moves per
// control, increment) of what is left.
TEST_F(ClockTest, ExtensionsDoubleWithinTheirBounds)
{
    const struct {
        int moves, increment;
        int32_t left;
        int32_t answers[3];
    } cases[] = {
        {0, 0, 40000, {2000, 4000, 0}}, {0, 0, 16000, {2000, 0, 0}}, {0, 0, 15999, {0, 0, 0}},
        {40, 0, 8000, {2000, 0, 0}},    {40, 0, 7999, {0, 0, 0}},    {0, 1, 40000, {2000, 4000, 0}},
    };
    for (const auto& c : cases) {
        set_level(c.moves, 400, c.increment);
        ASSERT_EQ(budget(c.increment ? 2000 : 40000, 0), 1000);
        pendule[WHITE].remaining = c.left;
        int32_t limit = 1000;
        for (int32_t answer : c.answers) {
            EXPECT_EQ(time_operations.extend(1), answer) << c.moves << " " << c.left;
            EXPECT_EQ(current_limit, limit *= 2);
            EXPECT_EQ(base_allocation, 1000);
        }
    }
}

TEST_F(ClockTest, ClockModesStopAtTheBudgetUnlessTheRootFailsLow)
{
    set_level(0, 300, 0);
    pendule[BLACK].remaining = 40000;
    root_side = -1;  // the extension reads the root side's clock
    const uint32_t flags[] = {0, 1, 2, 4};
    for (uint32_t f : flags) {
        budget(40000, 0, -1);
        pendule[WHITE].remaining = 100;
        root_fail_flags = f;
        iteration_depth = min_depth + 1;
        stub_now = clock_start + 999;
        EXPECT_EQ(limits_reached(), 0);
        stub_now = clock_start + 1000;
        const bool extended = (f & 3) != 0;
        EXPECT_EQ(limits_reached(), extended ? 0 : 1) << f;
        EXPECT_EQ(move_allocation, extended ? 2000 : 1000) << f;
        if (!extended) continue;
        stub_now = clock_start + 2000;  // extended again to 4000
        EXPECT_EQ(limits_reached(), 0);
        EXPECT_EQ(move_allocation, 4000);
        stub_now = clock_start + 4000;  // 8000 would pass four times the base
        EXPECT_EQ(limits_reached(), 1);
        EXPECT_EQ(move_allocation, 0);
    }
    // Up to the minimum depth only half of what is left stops the search.
    root_fail_flags = 0;
    root_side = 1;
    budget(40000, 0);
    iteration_depth = min_depth;
    stub_now = clock_start + 19999;
    EXPECT_EQ(limits_reached(), 0);
    stub_now = clock_start + 20000;
    EXPECT_EQ(limits_reached(), 1);
    stub_now = clock_start + 1000000;
    iteration_depth = min_depth + 1;
    EXPECT_EQ(limits_reached(), 1);
    ponder_search = 1;  // nor while pondering or analysing
    EXPECT_EQ(limits_reached(), 0);
    ponder_search = 0, analyse_mode = 1;
    EXPECT_EQ(limits_reached(), 0);
}

TEST_F(ClockTest, FixedLimitsOfTheOtherModes)
{
    time_control_mode = TC_TIME_PER_MOVE, time_per_move_ms = 1000;
    capture_stdout([] { allocate_time(1, 0); });
    iteration_depth = 1;  // the minimum depth does not hold here
    stub_now = clock_start + 999;
    EXPECT_EQ(limits_reached(), 0);
    stub_now = clock_start + 1000;
    EXPECT_EQ(limits_reached(), 1);
    time_control_mode = TC_FIXED_DEPTH;
    EXPECT_EQ(limits_reached(), 0);
    time_control_mode = TC_FIXED_NODES, max_nodes = 500;
    clear_statistics();
    search_nodes = 200, superq_nodes = 200, quiescence_nodes = 99;
    EXPECT_EQ(limits_reached(), 0);
    quiescence_nodes = 100;
    EXPECT_EQ(limits_reached(), 1);
    clear_statistics();
}

TEST_F(ClockTest, IterationTestAfterTheMinimumDepthOnly)
{
    set_level(0, 300, 0);
    budget(120000, 0);  // 3000 ms: no new iteration once two thirds are spent
    // {ponder, analyse, minimum depth, depth, ms spent, may start}: pondering or analysing
    // only the larger of the two depths counts; no time test outside the clock modes.
    const int cases[][6] = {{0, 0, 5, 6, 2000, 1},    {0, 0, 5, 6, 2001, 0},
                            {0, 0, 5, 5, 2001, 1},    {0, 0, 5, 5, 99999, 1},
                            {0, 0, 5, 10, 0, 0},      {0, 0, 5, 9, 0, 1},
                            {1, 0, 5, 9, 99999, 1},   {1, 0, 5, 10, 99999, 0},
                            {0, 1, 12, 12, 99999, 1}, {0, 1, 12, 13, 99999, 0}};
    max_depth = 9;
    for (const auto& [ponder, analyse, min, depth, elapsed, may] : cases) {
        ponder_search = ponder, analyse_mode = analyse, min_depth = min, iteration_depth = depth;
        stub_now = clock_start + elapsed;
        EXPECT_EQ(may_start_iteration(), may == 1) << depth << " " << elapsed;
    }
    analyse_mode = 0, time_control_mode = TC_TIME_PER_MOVE, min_depth = 1, iteration_depth = 9;
    EXPECT_TRUE(may_start_iteration());
}

TEST_F(ClockTest, ChargesRefillAtTheControlAndAddIncrements)
{
    const int saved_ply = ply;
    set_level(40, 300, 0);
    const int plies[][2] = {{76, 0}, {77, 0}, {78, 300000}, {79, 300000}, {80, 0}};
    for (const auto& [at, refill] : plies) {
        ply = at;  // the 40th move of each side ends the control
        pendule[WHITE].remaining = 5000;
        charge_clock(1, 1500);
        EXPECT_EQ(pendule[WHITE].remaining, 3500 + refill) << at;
    }
    ply = saved_ply;
    set_level(0, 60, 2);
    charge_clock(1, 1500);
    EXPECT_EQ(pendule[WHITE].remaining, 60000 - 1500 + 2000);
    EXPECT_EQ(pendule[BLACK].remaining, 60000);
    set_level(0, 60, 0);
    charge_clock(-1, 1500);
    EXPECT_EQ(pendule[BLACK].remaining, 58500);
    time_control_mode = TC_TIME_PER_MOVE;  // the fixed-limit modes add up the time spent
    charge_clock(-1, 700);
    EXPECT_EQ(pendule[BLACK].remaining, 59200);
    pendule[BLACK].remaining = INT32_MAX;  // an interface may say anything: it saturates
    charge_clock(-1, 700);
    EXPECT_EQ(pendule[BLACK].remaining, INT32_MAX);
    // An operator time as large as a setting allows, added to the time spent, does not wrap
    // round into a gain of time; nor does it upset the allocation.
    set_level(0, 60, 0);
    operator_time = INT32_MAX;
    charge_clock(1, int64_t{INT32_MAX} + 1000);
    EXPECT_EQ(pendule[WHITE].remaining, 60000 - 2147484647);
    EXPECT_EQ(budget(INT32_MIN, 0), 10);
}

InputVerdict answer = InputVerdict::GO_ON;
InputVerdict scripted_input()
{
    return answer;
}

// A ponder hit turns the search into the engine's own: the budget of the root side is allocated
// from now, and the search ends at once when it has already run one and a half times it.
TEST_F(ClockTest, PonderHitAllocatesAfreshAndStopsPastOneAndAHalfBudgets)
{
    search_link.input = scripted_input;
    set_level(0, 300, 0);
    root_ply = ply;
    const std::tuple<int, int64_t, bool> cases[] = {
        {TC_GAME, 11250, false}, {TC_GAME, 11251, true}, {TC_TIME_PER_MOVE, 99999, false}};
    for (const auto& [mode, searched, stops] : cases) {
        time_control_mode = mode, time_per_move_ms = 1;
        pendule[WHITE].remaining = 300000;
        move_allocation = 1, clock_start = 0;
        search_start = stub_now - searched;
        ponder_search = 1, ponder_hit = 0, search_stopped = 0;
        answer = InputVerdict::GO_ON;
        poll();  // pondering: no limit, whatever the time
        EXPECT_EQ(search_stopped, 0);
        answer = InputVerdict::PONDER_HIT;
        capture_stdout(poll);
        EXPECT_EQ(
            std::tuple(search_stopped, ponder_hit, ponder_search, clock_start, move_allocation),
            std::tuple(stops, 1, 0, stub_now, mode == TC_GAME ? 7500 : 1))
            << searched;
    }
    answer = InputVerdict::STOP;
    search_stopped = 0;
    poll();
    EXPECT_EQ(search_stopped, 1);
}

}  // namespace
