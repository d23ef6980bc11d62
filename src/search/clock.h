// Clocks, time allocation and the poll the search calls every so many nodes: the running think's
// limits (installed from a limits value, limits.h), the two clock records and the three time
// operations the clock modes choose. Every reading of the time goes through `clock_source`, so a test can put
// a stub clock in its place; times are milliseconds.
#pragma once

#include <cstdint>

#include "core/types.h"

// Time-control modes: three clock modes, then the three fixed-limit modes.
constexpr int32_t TC_GAME = 0;       // one period for the whole game
constexpr int32_t TC_MOVES = 1;      // so many moves per period
constexpr int32_t TC_INCREMENT = 2;  // whole game plus an increment per move
constexpr int32_t TC_TIME_PER_MOVE = 3;
constexpr int32_t TC_FIXED_DEPTH = 4;
constexpr int32_t TC_FIXED_NODES = 5;

constexpr bool is_clock_mode(int32_t mode)
{
    return mode >= TC_GAME && mode <= TC_INCREMENT;
}

constexpr int32_t DEFAULT_MIN_DEPTH = 5;
// Also the deepest iteration either loop lets a user ask for: the search has 64 heights.
constexpr int32_t DEFAULT_MAX_DEPTH = 42;
constexpr int32_t DEFAULT_TIME_PER_MOVE = 1000;

// One player's clock. In the fixed-limit modes `remaining` adds up the time spent instead.
struct Pendule {
    int32_t moves_per_control;  // 0 when the whole game is one period
    int32_t base;
    int32_t increment;
    int32_t remaining;
};

// The operations of the clock modes: the allocation for a move (side +1/-1, game ply), the
// extension granted while the root is failing low (0 refuses it), and the test that forbids
// another iteration. All null outside the clock modes.
struct TimeOperations {
    int32_t (*allocate)(int side, int game_ply);
    int32_t (*extend)(int side);
    bool (*iteration_over)();
};

extern int32_t time_control_mode;
extern int32_t min_depth;         // plies: iterations up to here are never refused
extern int32_t max_depth;         // plies: no iteration beyond this one
extern uint64_t max_nodes;        // the fixed-nodes mode's limit
extern int32_t time_per_move_ms;  // the time-per-move mode's budget
// Moves left to the next control as a protocol counts them itself; 0 when the clock mode derives
// them from the control's size and the game ply.
extern int32_t moves_to_go;

extern Pendule pendule[2];  // [0] Black, [1] White
extern TimeOperations time_operations;

// Allocation state of the current move, rewritten by allocate_time.
extern int32_t base_allocation;  // the clock mode's answer before any extension
extern int32_t current_limit;    // doubled by each extension
extern int32_t move_allocation;  // what the poll and the iteration test compare with
extern int64_t clock_start;      // clock reading when the allocation was made
extern int32_t allocation_side;  // the side (+1/-1) whose clock the last allocation read
// The moves to the next control that the last allocation counted with, 0 outside that mode.
extern int32_t allocation_moves_left;
// The least a clock mode allocates to a move. A front end whose clock runs on for the interface's
// lag lowers it: a fixed floor spent on every move would empty a short clock.
constexpr int32_t DEFAULT_MIN_ALLOCATION = 10;
extern int32_t min_allocation;
extern bool extension_allowed;  // a failing root may extend the allocation

// The running think's analysis flag: a search with no limit that never plays.
extern int32_t analyse_mode;
// Set while a search runs on the opponent's time, and when the opponent then played the
// predicted move.
extern int32_t ponder_search;
extern int32_t ponder_hit;
// The opponent's move the ponder search assumes was played (from, to and promotion compared).
extern Move predicted_move;

// The millisecond clock; now_ms unless a test has put a stub in its place.
extern int64_t (*clock_source)();
inline int64_t clock_now()
{
    return clock_source();
}

// Zeroes both clock records and the time operations.
void clear_clocks();
// One colour's clock record (0 Black, 1 White) as an interface states it; the caller bounds it.
void set_remaining(int colour, int32_t ms);
void set_increment(int colour, int32_t ms);
// Starts counting the current move's time from now.
void restart_move_clock();
// Both colours get n moves per control (0: one period for the whole game), the base time and
// the increment, with the whole base remaining; depths 5 to 42; the clock mode and its
// operations follow from n and the increment. A negative n counts as 0, and the times are kept
// between 0 and MAX_CLOCK_MS.
void set_level(int32_t moves, int32_t base_seconds, int32_t increment_seconds);
void set_level_ms(int32_t moves, int64_t base_ms, int64_t increment_ms);
constexpr int64_t MAX_CLOCK_MS = int64_t{1} << 30;

// The time operations of the clock modes (side +1/-1; game ply of the move to think).
int32_t alloc_game(int side, int game_ply);
int32_t alloc_moves(int side, int game_ply);
int32_t alloc_increment(int side, int game_ply);
int32_t extend_game(int side);
int32_t extend_control(int side);
bool iteration_time_test();

// The budget of the move about to be thought (clock modes; reported as ALLOCATION) and, in every
// mode, the clock start.
void allocate_time(int side, int game_ply);
// Charges the time a move took to the side that played it.
// The elapsed time is 64 bits wide so that the operator time added to it cannot wrap round.
void charge_clock(int side, int64_t elapsed);

// 1 when the limits of the current mode say the search must end now, else 0.
int limits_reached();
// Called by the search at frontier nodes once poll_nodes passes the interval: tests the clock
// and the limits, then asks the front end what its waiting input means (search_link.h), takes
// a ponder hit, and sets search_stopped when the search must end.
void poll();
// True when the driver may start the iteration of depth `iteration_depth`.
bool may_start_iteration();
