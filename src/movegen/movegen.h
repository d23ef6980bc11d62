// The move stack shared by all plies and the generators that fill it: all moves, captures by
// victim class, check evasions, promotions and direct checks. Generators write move words only
// (scores belong to move ordering); every list is pseudo-legal except for king moves.
#pragma once

#include <cstdint>

#include "core/types.h"

struct MoveEntry {
    Move move;
    int16_t score;
};

constexpr int MOVE_STACK_SIZE = 8196;
constexpr int MAX_HEIGHT = 64;  // plies the search may open above its root (heights 0..63)

extern MoveEntry move_stack[MOVE_STACK_SIZE];
// The list of ply p runs from move_stack[ply_start[p]] to move_stack[ply_start[p + 1]].
extern int32_t ply_start[MAX_HEIGHT + 2];

extern uint32_t genere_calls;  // statistics: calls of genere_all_moves

// Fills the list of ply p (the side to move must not be in check) and sets ply_start[p + 1].
void genere_all_moves(int p);
// The same for a side in check: only moves that may answer the check.
void genere_evasions(int p);
// Captures by victim class down to the threshold; returns the write position after the list.
int genere_captures(int write, int threshold);
// Promotions (pushes and captures); returns the write position after the list.
int genere_promotions(int write);
// Queen promotions only, for the quiescence searches; returns the write position.
int genere_promotions_dame(int write);
// Direct checking moves; returns the write position after the list.
int genere_echecs(int write);
