// The board-side halves of make_move and unmake_move: board, piece list, type masks, attack
// tables, counters, pawn-file tables and the material and reversible-move fields of the ply
// records. Keys, castling rights and the en-passant square are the frame's (makemove.cpp).
#pragma once

#include "core/attack_log.h"
#include "core/types.h"

// Plays m, a move of colour index c from cur = etats[ply] (ply not yet advanced; en_passant
// when m takes en passant), logging the XORs of its ray walks from `log` on; returns the log's
// new end. Fixed patterns (pawn diagonals, knight jumps, king steps) are not logged.
AttackUndo* play_on_board(Move m, int c, bool en_passant, Etat& cur, AttackUndo* log);
// Takes back m with ply back on cur, the record m was made from: everything but the logged
// ray walks, which the caller XORs again from the log.
void take_back_on_board(Move m, int c, bool en_passant, const Etat& cur);

// The capture steps alone, on the current records: the victim of type t and colour o on sq
// leaves (a slider's rays logged from `log`; pawns advance by `forward`), or comes back from
// cur's `ficha_prise` (all but a slider's rays, which are the caller's).
AttackUndo* take_out_piece(AttackUndo* log, int t, int sq, int o, int forward);
void put_back_piece(int t, int sq, int o, int forward);
