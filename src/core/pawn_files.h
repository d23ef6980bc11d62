// The pawn-file tables kept by make and unmake: per colour and file the pawn count and the
// ranks of the most advanced and rearmost pawns. A pawn leaving a file with three or more
// pawns on it is the only case that reads the board, walking the file to the next pawn.
#pragma once

#include <cstdint>

#include "core/board.h"
#include "core/tables.h"

// Empty values of the lowest- and highest-rank tables of a file, for either colour.
inline constexpr int32_t NO_LOWEST_PAWN = 9;
inline constexpr int32_t NO_HIGHEST_PAWN = 0;

// The rank of the next pawn `code` from sq along step (the same file); the border stops a walk
// that a damaged record would otherwise run off the board.
inline int next_pawn_rank(int sq, int step, uint8_t code)
{
    sq += step;
    while (echiquier[sq] != code && echiquier[sq] != BORDER) sq += step;
    return rangee[sq];
}

// A pawn of colour c leaves its file from sq. Only with three or more pawns on the file does
// the new extreme rank have to be looked up on the board.
inline void pawn_leaves_file(int c, int sq)
{
    const int f = colonne[sq];
    const int r = rangee[sq];
    int32_t* low = lowest_pawn_rank(c);
    int32_t* high = highest_pawn_rank(c);
    const int n = pions_colonne[c][f]--;
    if (n == 1) {
        low[f] = NO_LOWEST_PAWN;
        high[f] = NO_HIGHEST_PAWN;
    } else if (n == 2) {
        if (low[f] == r)
            low[f] = high[f];
        else if (high[f] == r)
            high[f] = low[f];
    } else {
        const uint8_t code = colour_bit_of_index(c) + PAWN;
        if (low[f] == r)
            low[f] = next_pawn_rank(sq, 1, code);
        else if (high[f] == r)
            high[f] = next_pawn_rank(sq, -1, code);
    }
}

inline void pawn_enters_file(int c, int sq)
{
    const int f = colonne[sq];
    const int r = rangee[sq];
    ++pions_colonne[c][f];
    if (r < lowest_pawn_rank(c)[f]) lowest_pawn_rank(c)[f] = r;
    if (r > highest_pawn_rank(c)[f]) highest_pawn_rank(c)[f] = r;
}

// A pawn moving along its file: whichever table holds its old rank takes the new one (on one
// file the ranks differ as the squares do).
inline void pawn_moves_on_file(int c, int from, int to)
{
    const int f = colonne[from];
    const int32_t old_rank = rangee[from];
    const int32_t new_rank = old_rank + (to - from);
    int32_t& rear = pion_moins_avance[c][f];
    int32_t& front = pion_plus_avance[c][f];
    rear = rear == old_rank ? new_rank : rear;
    front = front == old_rank ? new_rank : front;
}
