// Storage and initial values of the game's state: a game in progress, no run of bad scores.
#include "core/game.h"

int32_t game_state = GAME_IN_PROGRESS;
int32_t resign_ply[2] = {NO_RESIGN_PLY, NO_RESIGN_PLY};
