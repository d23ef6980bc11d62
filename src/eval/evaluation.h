// The static evaluation of the current position from the side to move's view: special endings,
// lazy bounds, the evaluation cache and the full sum of the terms blended by material. Nothing
// here writes the position record; only the evaluation cache and its counters change.
#pragma once

#include <cstdint>

#include "caches/caches.h"
#include "core/board.h"
#include "core/tables.h"
#include "eval/special.h"
#include "platform/thread_state.h"

extern QV_THREAD_STATE uint32_t eval_probes, eval_hits;

// Margin beyond the window before the lazy bound is tried, and the bound's own floor.
constexpr int LAZY_MARGIN = 100;

int evaluation(int alpha, int beta);
// A pessimistic value of colour s's positional terms other than pawns (at most -100).
int lazy_bound(int s);
int endgame_king_shelter(int s);
// Colour s's king terms while the opponent's material phase is opponent_phase: king safety from
// 8 up, the endgame king terms up to 4, both between (the endgame part scaled by (8 - phase) / 4).
int king_terms(int s, int opponent_phase);

// Where the evaluation cache keeps a position, from its `hash_key` and side to move: every probe
// and every early fetch computes its index here, so a fetch always names the cell probed.
inline uint32_t eval_cell_index(const Key96& hash_key, int side)
{
    return (hash_key.w[2] & eval_hash_mask) | static_cast<uint32_t>(colour_index(side));
}

// The evaluation cache cell of the current position: the colour of the side to move picks one of
// the two cells that share the key's index, so the two sides never overwrite each other.
inline EvalCell* eval_cell()
{
    return &Eval_hash_table[eval_cell_index(pos()->hash_key, trait)];
}
