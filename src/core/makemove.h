// Making and unmaking moves on the position record, incrementally: attack masks by XOR walks
// along the rays a move opens or closes (logged, and XORed again by the unmake), counters,
// pawn-file tables and keys. After a make and its unmake every table is bit for bit as before
// (stale slot squares aside).
#pragma once

#include <cstdint>

#include "core/types.h"
#include "platform/thread_state.h"

extern QV_THREAD_STATE uint64_t make_move_calls;  // statistics: every call of make_move

// Plays a pseudo-legal move into etats[ply + 1]; ply must be below 1023.
void make_move(Move m);
// make_move in two halves: begin_move writes what the next record is known by (keys, castling
// rights, en-passant square; and cur's `coup`) without touching the board, so that a caller can
// fetch the cache cells of the position to come while finish_move does the rest. The pair is
// exactly make_move; nothing may come between them but reads.
void begin_move(Move m);
void finish_move(Move m);
// Takes back the move just made (last in, first out).
void unmake_move(Move m);
void make_null_move();
void unmake_null_move();

// XORs mask into every square a slider of `type` on `sq` attacks on the current board.
void bascule_rayons(int type, int sq, uint32_t* table, uint32_t mask);

// The two halves of a capture as steps of their own (make_move and unmake_move run the same
// steps inside their routines): retire_prise takes the piece of type t and colour o on sq (still
// on the board) out of the board-side state and out of the next record's keys and material (q
// is sq64 of sq; table is attaques[o]); remet_prise puts it back from the current record's
// `ficha_prise`.
void retire_prise(int t, int sq, int o, uint32_t* table, int q);
void remet_prise(int t, int sq, int o, uint32_t* table);
