// The limits of one think as a value: each front end builds one from its protocol's commands and
// its own settings and hands it to the think driver (or to the allocation just before it), which
// alone turns it into the search's state. Depths are plies; times are milliseconds.
#pragma once

#include <cstdint>

#include "core/types.h"
#include "search/clock.h"
#include "search/root.h"

struct SearchLimits {
    int32_t mode = TC_TIME_PER_MOVE;  // one of the TC_ modes of clock.h
    int32_t min_depth = DEFAULT_MIN_DEPTH;
    int32_t max_depth = DEFAULT_MAX_DEPTH;
    uint64_t max_nodes = 0;                            // TC_FIXED_NODES
    int32_t time_per_move_ms = DEFAULT_TIME_PER_MOVE;  // TC_TIME_PER_MOVE
    // Moves left to the next control as a protocol counts them itself; 0 when the clock mode
    // derives them from the control's size and the game ply.
    int32_t moves_to_go = 0;
    // The least a clock mode allocates to a move, and whether a move whose root fails low may
    // take more than its allocation: a short clock can afford neither.
    int32_t min_allocation = DEFAULT_MIN_ALLOCATION;
    bool may_extend = true;
    bool analysis = false;    // no limit at all, and the think never plays from the book
    bool ponder = false;      // on the opponent's time, `predicted_move` assumed played
    Move predicted_move = 0;  // compared by from, to and promotion
    // The root moves to search (compared by squares and promotion); none means every move.
    int32_t root_move_count = 0;
    Move root_moves[ROOT_LIST_SIZE] = {};
    // Root moves searched and reported per iteration, each the best of those left (1..256).
    int32_t multipv = 1;
    // Weaker play: the move is drawn among those lines with a random push of up to this many
    // centipawns on each score (0: the best is played), the draws starting from the seed.
    int32_t skill_margin = 0;
    uint64_t skill_seed = 0;
};

// Makes the limits the running think's: the think driver and the allocation call it.
void install_limits(const SearchLimits& limits);
// The think of the position with these limits: the move to play (0 for none).
Move Reflexion(const SearchLimits& limits);
// The allocation of clock.h with these limits installed first.
void allocate_time(const SearchLimits& limits, int side, int game_ply);
// set_level_ms for a limits value: the clock records, and the mode and depths of `limits`.
void set_level_ms(SearchLimits* limits, int32_t moves, int64_t base_ms, int64_t increment_ms);
