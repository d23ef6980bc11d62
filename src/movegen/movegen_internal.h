// Per-piece routines and write helpers shared by the generators. Every routine takes the write
// position in the move stack, writes its moves in a fixed step order and returns the position
// after the last entry; no routine reads or writes an entry's ordering score.
#pragma once

#include <bit>
#include <cassert>

#include "core/board.h"
#include "core/tables.h"
#include "movegen/movegen.h"

namespace movegen_detail {

// The promotion types, in the order every generator writes them.
constexpr int PROMOTION_ORDER[4] = {QUEEN, KNIGHT, ROOK, BISHOP};

inline int push_move(int w, Move m)
{
    assert(w >= 0 && w < MOVE_STACK_SIZE);
    move_stack[w].move = m;
    return w + 1;
}

// A move from `from` to `to` by the piece standing on `from`, capturing whatever stands on
// `to` (0 when empty).
inline int push_plain(int w, int from, int to)
{
    return push_move(w, make_move_word(from, to, type_of(echiquier[from]), type_of(echiquier[to])));
}

// The four promotions of a pawn move from `from` to `to`, queen, knight, rook, bishop.
inline int push_promotions(int w, int from, int to)
{
    const int captured = type_of(echiquier[to]);
    for (int promo : PROMOTION_ORDER)
        w = push_move(w, make_move_word(from, to, PAWN, captured, promo));
    return w;
}

// A pawn's move onto `to`: four promotions on the last rank, one entry elsewhere.
inline int push_pawn_move(int w, int from, int to)
{
    if (promotion_rank[to] == -trait) return push_promotions(w, from, to);
    return push_move(w, make_move_word(from, to, PAWN, type_of(echiquier[to])));
}

// The code of the side to move's pawns and the colour bit of its opponent.
inline uint8_t own_pawn_code()
{
    return static_cast<uint8_t>(colour_bit(trait) + PAWN);
}
inline uint8_t opponent_bit()
{
    return colour_bit(-trait);
}

// Moves of each slot in `slots` (colour c) to square `to`, lowest slot first (slot k's mask is
// 1 << k).
inline int push_from_slots(int w, int c, uint32_t slots, int to)
{
    for (; slots; slots &= slots - 1)
        w = push_plain(w, static_cast<int>(ficha[c][std::countr_zero(slots)].square), to);
    return w;
}

// King steps to unattacked squares; castling after the quiet steps to the d and f files when
// `castling` is set.
int gen_king(int w, int from, bool castling);
// Slides of a queen, rook or bishop (the type is read from the board).
int gen_queen(int w, int from);
int gen_rook(int w, int from);
int gen_bishop(int w, int from);
int gen_knight(int w, int from);
int gen_pawn(int w, int from);
// Captures en passant onto the current record's `case_ep`, from the lower file first.
int gen_en_passant(int w);

}  // namespace movegen_detail
