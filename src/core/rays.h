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

// The same without the two rays along `line` (a step or its opposite): a slider moving along
// its line has those rays updated by the caller.
inline void toggle_slider_across(int type, int sq, uint32_t* table, uint32_t mask, int line)
{
    const int axis = line < 0 ? -line : line;
    if (type != BISHOP) {
        if (axis != 1) {
            toggle_ray(table, sq, 1, mask);
            toggle_ray(table, sq, -1, mask);
        }
        if (axis != 10) {
            toggle_ray(table, sq, 10, mask);
            toggle_ray(table, sq, -10, mask);
        }
    }
    if (type != ROOK) {
        if (axis != 9) {
            toggle_ray(table, sq, -9, mask);
            toggle_ray(table, sq, 9, mask);
        }
        if (axis != 11) {
            toggle_ray(table, sq, 11, mask);
            toggle_ray(table, sq, -11, mask);
        }
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

// Every slider of colour c in `sliders` (all of them attacking q) has its ray continued past q,
// up to the next non-empty square. Run just after q emptied, it extends the rays; run while q
// still shows empty just before it fills, it cuts them at q. A slot's mask is 1 << slot.
inline void extend_sliders(int c, int q, uint32_t sliders)
{
    uint32_t* table = attaques[c];
    do {
        const int k = lowest_bit[sliders];
        const uint32_t bit = sliders & (0u - sliders);
        sliders ^= bit;
        toggle_ray(table, q, direction[ficha[c][k].square * 100 + q], bit);
    } while (sliders != 0);
}

inline void toggle_beyond(int c, int q)
{
    const uint32_t sliders = attaques[c][q] & pieces_glissantes_mask[c];
    if (sliders != 0) extend_sliders(c, q, sliders);
}

// Black first, then White: the order is part of the record's update sequence. Black's walks
// write only Black's table, so White's set can be read before them. The slider `moving` of
// colour c is left out: a slider moving along a line updates its own rays on it itself.
inline void toggle_beyond_both(int q, int c = BLACK, uint32_t moving = 0)
{
    uint32_t black = attaques[BLACK][q] & pieces_glissantes_mask[BLACK];
    uint32_t white = attaques[WHITE][q] & pieces_glissantes_mask[WHITE];
    if (c == BLACK)
        black &= ~moving;
    else
        white &= ~moving;
    if (black != 0) extend_sliders(BLACK, q, black);
    if (white != 0) extend_sliders(WHITE, q, white);
}
