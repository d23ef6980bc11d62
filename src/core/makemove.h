// Making and unmaking moves on the position record, incrementally: attack masks by XOR walks
// along the rays a move opens or closes, counters, pawn-file tables and keys. After a make and
// its unmake every table is bit for bit as before (stale slot squares aside).
#pragma once

#include <cstdint>

#include "core/types.h"

extern uint64_t make_move_calls;  // statistics: every call of make_move

void make_move(Move m);
void unmake_move(Move m);
void make_null_move();
void unmake_null_move();

// XORs mask into every square a slider of `type` on `sq` attacks on the current board.
void bascule_rayons(int type, int sq, uint32_t* table, uint32_t mask);
