// Repetition counting over the game record: only positions an even number of plies back are
// compared (the side to move is not in the key), never beyond the last irreversible move.
// `root_ply` is set by whoever starts a search or tests the game's end: the search's root, or
// the game ply at the last game-end test.
#pragma once

#include <cstdint>

#include "platform/thread_state.h"

// The ply at or above which one earlier occurrence of a position already counts as a
// repetition.
extern QV_THREAD_STATE int32_t root_ply;

// 1 when the position has not occurred before (same side to move, since the last irreversible
// move), 2 after one earlier occurrence, 3 for a repetition draw (a third occurrence, or a
// second one where the first arose at or above `root_ply`).
int repetition_count();
