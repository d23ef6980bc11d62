// The lines a think prints besides the root-move lines: the opening line, the iteration, fail
// high and fail low lines of both modes, and the clearing of the statistics they report. All
// of it reads the search state and the clock; only the principal variation makes moves, and it
// takes every one of them back.
#pragma once

#include <cstdint>

#include "core/types.h"

enum SearchLine { LINE_ITERATION, LINE_FAIL_HIGH, LINE_FAIL_LOW };

// Milliseconds since `search_start` (valid while the think runs).
int64_t think_elapsed();
// The line printed before the first iteration: static value, first root move, material.
void print_first_line();
// An iteration, fail-high or fail-low line with its principal variation. Text mode prints it
// only when `show_thinking` is set; xboard mode always.
void print_search_line(SearchLine kind, int score);
// The principal variation from the transposition table, from the current position: at most
// max moves into out, each one fitting the board it is made on; returns their number. The
// position is the same on return.
int collect_pv(Move* out, int max);
// Zeroes every counter the statistics report (nodes by height included).
void clear_statistics();
// The greatest height h >= 1 with a node at every height 1..h (0 when height 1 had none).
int reached_height();
