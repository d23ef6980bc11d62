// The material balance: piece values corrected by endgame knowledge, the bishop pair and an
// imbalance bonus, cached by material signature and bishop class in `Materiel_hash_table`.
#pragma once

#include <cstdint>

#include "core/board.h"
#include "core/tables.h"
#include "platform/thread_state.h"

// Bishop colour sets of the current position ([0] Black, [1] White; bit 0 dark, bit 1 light),
// stored by evalue_materiel for calcule_materiel.
extern QV_THREAD_STATE int32_t fous_cases[2];

// Calls and cache hits of evalue_materiel, for the statistics.
extern QV_THREAD_STATE uint32_t materiel_calls, materiel_hits;

// The material score from the side to move's view, through the cache.
int evalue_materiel();

// N + B + 2R + 4Q of colour index c: 0 with pawns only, 12 with the full set of pieces. Inline:
// every evaluation asks for it several times.
inline int material_phase(int c)
{
    return nombre_pieces[c] + slot_count(piece_type[c][ROOK]) +
           3 * slot_count(piece_type[c][QUEEN]);
}
// The material score from White's view, computed from the rules (reads `fous_cases`).
int calcule_materiel();
