// Standard algebraic notation read against the current position, as game files write it
// ("Nbd7", "exd5", "e8=Q+", "O-O"). A text names a move only when exactly one legal move of the
// side to move fits it; the position is left as it was.
#pragma once

#include "core/types.h"

enum class SanResult { OK, UNREADABLE, ILLEGAL, AMBIGUOUS };

// Reads `text` (check, mate and annotation marks allowed at its end) into *move.
SanResult san_to_move(const char* text, Move* move);
