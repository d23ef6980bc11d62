// Clocks, time allocation and the poll the search calls every so many nodes: limits of time,
// depth and nodes, and (in a later stage) the input read during a search.
#pragma once

#include <cstdint>

// Time-control modes.
constexpr int32_t TC_TIME_PER_MOVE = 3;
constexpr int32_t TC_FIXED_DEPTH = 4;
constexpr int32_t TC_FIXED_NODES = 5;

extern int32_t time_control_mode;
extern int32_t max_depth;         // plies, for the fixed-depth mode and as a cap
extern uint32_t max_nodes;        // for the fixed-nodes mode
extern int32_t time_per_move_ms;  // for the time-per-move mode

// Called by the search at frontier nodes once poll_nodes passes the interval: tests the clock
// and the limits and sets search_stopped when the search must end.
void poll();
// True when the driver may start another iteration.
bool may_start_iteration();
