// The static evaluation of the current position from the side to move's view: special endings,
// lazy bounds, the evaluation cache and the full sum of the terms blended by material. Nothing
// here writes the position record; only the evaluation cache and its counters change.
#pragma once

#include <cstdint>

#include "core/board.h"
#include "core/tables.h"
#include "eval/special.h"
#include "search/hash.h"

extern uint32_t eval_probes, eval_hits;

// Margin beyond the window before the lazy bound is tried, and the bound's own floor.
constexpr int LAZY_MARGIN = 100;

int evaluation(int alpha, int beta);
// A pessimistic value of colour s's positional terms other than pawns (at most -100).
int lazy_bound(int s);
int endgame_king_shelter(int s);
// Colour s's king terms while the opponent's material phase is opponent_phase: king safety from
// 8 up, the endgame king terms up to 4, both between (the endgame part scaled by (8 - phase) / 4).
int king_terms(int s, int opponent_phase);

// N + B + 2R + 4Q of colour index c: 0 with pawns only, 12 with the full set of pieces.
inline int material_phase(int c)
{
    return nombre_pieces[c] + bit_count[piece_type[c][ROOK]] + 3 * bit_count[piece_type[c][QUEEN]];
}

// The evaluation cache cell of the current position: the colour of the side to move picks one of
// the two cells that share the key's index, so the two sides never overwrite each other.
inline EvalCell* eval_cell()
{
    return &Eval_hash_table[eval_cell_index(pos()->hash_key, trait)];
}
