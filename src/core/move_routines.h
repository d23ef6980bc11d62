// The work of make_move and unmake_move: board, piece list, type masks, attack tables, counters,
// pawn-file tables, the ply-record fields and the undo log (the makes in move_routines.cpp, the
// take-backs in take_back.cpp). Keys, castling rights and the en-passant square come from
// next_keys.h; the entry points are makemove.h's.
#pragma once

#include "core/attack_log.h"
#include "core/board.h"
#include "core/types.h"

// The whole of make_move but its counter, with m a move of the side to move
// from cur = etats[ply]: the next record's keys, castling rights and en-passant square, the
// board-side state (logging the XORs of its ray walks; fixed patterns such as pawn diagonals,
// knight jumps and king steps are not logged), the log bounds, ply, side and material score.
void play_move(Move m);
// The same without the keys, rights and en-passant square, which begin_move has written.
void play_move_after_keys(Move m);
// The whole of unmake_move: replays the log of m's ray walks and takes back the rest.
void take_back_move(Move m);

// The capture steps alone, on the current records: the victim of type t and colour o on sq
// leaves (a slider's rays logged from `log`; pawns advance by `forward`), or comes back from
// cur's `ficha_prise` (all but a slider's rays, which are the caller's).
AttackUndo* take_out_piece(AttackUndo* log, int t, int sq, int o, int forward);
void put_back_piece(int t, int sq, int o, int forward);

// Steps that make (move_routines.cpp) and take-back (take_back.cpp) share.
namespace move_steps {

// +1 for White (colour index 1), -1 for Black: the way its pawns advance.
constexpr int side_of(int c)
{
    return c == WHITE ? 1 : -1;
}

inline void move_on_board(int from, int to)
{
    echiquier[to] = echiquier[from];
    echiquier[from] = EMPTY;
}

}  // namespace move_steps
