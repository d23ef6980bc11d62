// Move text in both directions and the legality test of a typed move. The text functions return
// a static buffer overwritten by every call: print it at once.
#pragma once

#include "core/types.h"

// Long form (short_form false: e4xd5, Ng1f3) or short algebraic form (exd5, Nf3, Nbd2), for a
// move of the side to move; "//" for the null move.
const char* move_to_text(Move m, bool short_form);
// Coordinate text ("e2e4", "a7b8q") to a move word; 0 when the text is not a coordinate move.
Move text_to_move(const char* text);
// 1 when the move is legal in the current position, else 0 (overwrites ply 0's move list).
int is_legal_move(Move m);

// " >> ", each move from `root_ply` up to the current ply in long form followed by a space,
// then " << " (no newline): where a search or a diagnostic stands.
void print_search_path();
