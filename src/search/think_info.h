// What a think's reports read besides the events themselves: the time since the think began,
// the node total, the principal variation from the transposition table, the statistics
// counters' reset and the greatest height reached. Nothing here prints; the walk along the
// principal variation unmakes every move it makes.
#pragma once

#include <cstdint>

#include "core/types.h"

// Milliseconds since `search_start` (valid while the think runs).
int64_t think_elapsed();
// Full-width, super-quiescence and quiescence nodes of the current think: the calling thread's
// own, and on the main thread the helpers' added.
uint64_t own_node_total();
uint64_t node_total();
// True when m may be made on the current board: its piece and its victim stand where the word
// says. A stale or colliding table entry must never reach make_move.
bool pv_move_fits_board(Move m);
// The principal variation from the transposition table, from the current position: at most
// max moves into out, each one fitting the board it is made on; returns their number. The
// position is the same on return.
int collect_pv(Move* out, int max);
// Zeroes every counter the statistics report (nodes by height included).
void clear_statistics();
// The greatest height h >= 1 with a node at every height 1..h (0 when height 1 had none).
int reached_height();
