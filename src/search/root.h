// The think driver: book first, then iterative deepening with aspiration windows over the root
// list, the thinking lines in both modes, the principal variation and the statistics. The game
// position is the same after a think as before it, also when the think was stopped.
#pragma once

#include <cstdint>

#include "core/types.h"
#include "platform/thread_state.h"

struct RootEntry {
    Move move;
    uint32_t weight;  // bits 29-31 best tag, bits 0-28 nodes searched below the move
};

constexpr int ROOT_LIST_SIZE = 256;
constexpr uint32_t TAG_SHIFT = 29;
constexpr int MAX_TAG = 5;

extern QV_THREAD_STATE RootEntry root_list[ROOT_LIST_SIZE];
extern QV_THREAD_STATE int32_t root_count;
extern QV_THREAD_STATE int32_t root_index;
extern QV_THREAD_STATE int32_t root_alpha, root_beta;
// Bit 0: a re-search after a fail-low; bit 1: the best score is at or below root alpha.
extern QV_THREAD_STATE uint32_t root_fail_flags;
// The clock at the start of the think; once it has ended, the milliseconds it took.
extern QV_THREAD_STATE int64_t search_start;
extern QV_THREAD_STATE int32_t last_score;
extern QV_THREAD_STATE int32_t root_side;    // `trait` when the think began
extern QV_THREAD_STATE int32_t tag_counter;  // best tags handed out in this think (0..5)
// The root moves a front end restricts the next thinks to (compared by squares and promotion);
// none means every move. Moves not legal at the root are simply never matched.
extern QV_THREAD_STATE Move root_moves_only[ROOT_LIST_SIZE];
extern QV_THREAD_STATE int32_t root_moves_only_count;
// RootSearch searches the root list from this entry on: the entries before it are the moves
// already chosen in this iteration's further lines (0 outside those passes).
extern QV_THREAD_STATE int32_t root_first;

// The move to play (0 for none) with the limits last installed (limits.h has the think of a
// limits value); the game position is unchanged on return.
Move Reflexion();
// A helper thread's think of the position loaded on it, until the main thread stops it or
// `depth_limit` iterations are done; it reports nothing and only leaves its results in the main
// table.
void think_as_helper(int depth_limit);
int RootSearch(Move* best, int alpha, int beta, int depth);
void sort_root_list();
