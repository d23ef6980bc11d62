// The console's board display and the move path printed by diagnostics. Both only read the
// position record; the board display borrows `root_ply` for its repetition count and gives it
// back unchanged.
#pragma once

#include <cstdint>

// 1: drawn as seen from White (rank 8 on top, a-file on the left); 0: as seen from Black.
extern int32_t board_orientation;

// The framed board, then the castling rights, the en-passant square and the repetition count
// when there is something to say about them.
void affiche_echiquier();

// " >> ", each move from `root_ply` up to the current ply in long form followed by a space,
// then " << " (no newline).
void print_search_path();
