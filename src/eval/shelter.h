// The pawn-shelter routines of king safety: one per wing and one for the centre, per colour.
// Each reads the king's rank from `shelter_king_rank` and the pawn-file tables, and adds into
// the shelter results of kingsafety.h (H is assigned; O and T accumulate, so callers clear them).
#pragma once

#include <cstdint>

#include "platform/thread_state.h"

// The king square the shelter routines look at, set on a king-cache miss before they are called.
extern QV_THREAD_STATE int32_t shelter_king_rank, shelter_king_file;

// White: files f, g, h; files c, b, a; files c to f.
void shelter_white_king_side();
void shelter_white_queen_side();
void shelter_white_centre();
// Black: the mirror images, ranks counted from Black's side.
void shelter_black_king_side();
void shelter_black_queen_side();
void shelter_black_centre();
