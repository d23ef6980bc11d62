// The attack-table walks of make and unmake: the squares a step piece attacks, the rays of a
// slider, and the sliders whose rays pass through a square. Each walk XORs, so on the same board
// and masks it is its own inverse; unmake relies on that.
#pragma once

#include <cstdint>

#include "core/board.h"
#include "core/tables.h"

// XORs mask into every square of the ray from sq (excluded) along step, up to and including the
// first square that is not empty.
inline void toggle_ray(uint32_t* table, int sq, int step, uint32_t mask)
{
    sq += step;
    while (echiquier[sq] == EMPTY) {
        table[sq] ^= mask;
        sq += step;
    }
    table[sq] ^= mask;
}

// A bishop, rook or queen of `type` on sq, walked on the current board.
inline void toggle_slider(int type, int sq, uint32_t* table, uint32_t mask)
{
    if (type != BISHOP) {
        toggle_ray(table, sq, 1, mask);
        toggle_ray(table, sq, -1, mask);
        toggle_ray(table, sq, 10, mask);
        toggle_ray(table, sq, -10, mask);
    }
    if (type != ROOK) {
        toggle_ray(table, sq, -9, mask);
        toggle_ray(table, sq, 11, mask);
        toggle_ray(table, sq, -11, mask);
        toggle_ray(table, sq, 9, mask);
    }
}

inline void toggle_knight(uint32_t* table, int sq, uint32_t mask)
{
    for (const int step : KNIGHT_STEPS) table[sq + step] ^= mask;
}

// The king always holds slot 0, bit 1.
inline void toggle_king(uint32_t* table, int sq)
{
    for (const int step : KING_STEPS) table[sq + step] ^= 1;
}

// A pawn's two forward diagonals; forward is +1 for a white pawn, -1 for a black one.
inline void toggle_pawn(uint32_t* table, int sq, int forward, uint32_t mask)
{
    table[sq + forward + 10] ^= mask;
    table[sq + forward - 10] ^= mask;
}

// Each colour's sliders attacking q, [BLACK] and [WHITE], without the slider `moving` of colour
// c: a slider moving along a line updates its own rays on it itself. Black's walks write only
// Black's table, so both sets can be read before either colour's walks.
struct SlidersOn {
    uint32_t set[2];
};
inline SlidersOn sliders_on(int q, int c, uint32_t moving)
{
    SlidersOn s{{attaques[BLACK][q] & pieces_glissantes_mask[BLACK],
                 attaques[WHITE][q] & pieces_glissantes_mask[WHITE]}};
    s.set[c] &= ~moving;
    return s;
}
