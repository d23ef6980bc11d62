// Weaker play for casual games: the move played is drawn among the last complete iteration's
// lines, each line's score pushed up by a random amount below the margin, so that a move
// within the margin of the best may be chosen and a move worse by more never is.
#pragma once

#include <cstdint>

#include "core/types.h"
#include "platform/thread_state.h"

// Centipawns of the random push (0: the best move is played, and nothing is drawn).
extern QV_THREAD_STATE int32_t skill_margin;

// Starts the draws of the next thinks from this seed (0 is taken as 1).
void seed_skill(uint64_t seed);
// The move to play instead of `best` when a margin is set and several lines were searched.
Move weaker_choice(Move best);
