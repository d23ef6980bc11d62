// The two bit bases: king and pawn against king, and two passed pawns against a lone king.
// Indexed [pawns' side to move][square][square] with bit = a third square, all squares as
// case64 with Black's positions mirrored top to bottom first. Illegal placements read as 0.
#pragma once

#include <cstdint>

#include "core/tables.h"

extern uint64_t kpk_base[2][64][64];  // [strong to move][strong king][weak king], bit pawn
extern uint64_t two_pawns_base[2][64]
                              [64];  // [pawns' side to move][first pawn][last pawn], bit king

// Solves both bases; called once at start-up after the static tables. Calling it again
// recomputes the same contents.
void init_bitbases();

// The case64 square seen from the other side of the board (rank r becomes 9 - r).
constexpr int mirror64(int sq64)
{
    return sq64 ^ 7;
}

// A mailbox square as the bases see it from side s (+1 White, -1 Black): Black's mirrored.
inline int bitbase_square(int s, int sq)
{
    return s > 0 ? case64[sq] : mirror64(case64[sq]);
}

inline bool kpk_won(int strong_to_move, int king64, int weak_king64, int pawn64)
{
    return (kpk_base[strong_to_move][king64][weak_king64] >> pawn64) & 1;
}
inline bool two_pawns_won(int pawns_to_move, int first64, int last64, int king64)
{
    return (two_pawns_base[pawns_to_move][first64][last64] >> king64) & 1;
}
