// The attack-table walks of make and unmake: the squares a step piece attacks, the rays of a
// slider, and the toggle that extends or cuts other sliders' rays through one square. Each walk
// XORs, so on the same board and masks it is its own inverse; unmake relies on that.
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

// Every slider of colour c that attacks q has its ray continued past q, up to the next non-empty
// square. Run just after q emptied, it extends the rays; run while q still shows empty just
// before it fills, it cuts them at q.
inline void toggle_beyond(int c, int q)
{
    uint32_t* table = attaques[c];
    uint32_t sliders = table[q] & pieces_glissantes_mask[c];
    while (sliders != 0) {
        const int k = lowest_bit[sliders];
        const uint32_t bit = ficha[c][k].mask;
        sliders ^= bit;
        toggle_ray(table, q, direction[ficha[c][k].square * 100 + q], bit);
    }
}

// Black first, then White: the order is part of the record's update sequence.
inline void toggle_beyond_both(int q)
{
    toggle_beyond(BLACK, q);
    toggle_beyond(WHITE, q);
}
