// The move stack shared by all plies and the generators that fill it: all moves, captures by
// victim class, check evasions, promotions and direct checks. Generators write move words only
// (scores belong to move ordering); every list is pseudo-legal except for king moves.
#pragma once

#include <cstdint>
#include <vector>

#include "core/types.h"
#include "platform/thread_state.h"

struct MoveEntry {
    Move move;
    int16_t score;
};

constexpr int MAX_HEIGHT = 64;  // plies the search may open above its root (heights 0..63)

// Capacity of the move stack. One call of any generator writes at most 415 entries: a side has
// 16 slots, a king writes at most 8 steps + 2 castlings, and no other piece writes more entries
// from one square than a queen's 27 targets (a pawn at most 3 targets x 4 promotions), so
// 10 + 15 x 27 = 415. The longest list one ply builds is a futile or quiescence node's
// captures + checks + promotions: 415 + 415 + 8 x 12 = 926, hence the per-list bound of 1024.
// Lists are contiguous, so heights 0..64 (the ply start table has an entry for the end of list
// 64) need at most 65 x 1024 entries and the stack cannot overflow. Debug builds also assert
// every write position.
constexpr int MAX_LIST_MOVES = 1024;
constexpr int MOVE_STACK_SIZE = (MAX_HEIGHT + 1) * MAX_LIST_MOVES;

extern QV_THREAD_STATE MoveEntry move_stack[MOVE_STACK_SIZE];
// The list of ply p runs from move_stack[ply_start[p]] to move_stack[ply_start[p + 1]].
extern QV_THREAD_STATE int32_t ply_start[MAX_HEIGHT + 2];

// Statistics: calls of each generator (the two promotion generators share one counter).
extern QV_THREAD_STATE uint32_t genere_calls;      // genere_all_moves
extern QV_THREAD_STATE uint32_t captures_calls;    // genere_captures
extern QV_THREAD_STATE uint32_t promotions_calls;  // genere_promotions and genere_promotions_dame
extern QV_THREAD_STATE uint32_t evasions_calls;    // genere_evasions
extern QV_THREAD_STATE uint32_t echecs_calls;      // genere_echecs

// Fills the list of ply p (the side to move must not be in check) and sets ply_start[p + 1].
void genere_all_moves(int p);
// The same for a side in check: only moves that may answer the check. King moves are legal;
// `attaques` is the same on return as on entry.
void genere_evasions(int p);
// Captures by victim class down to the threshold; returns the write position after the list.
// Queen victims always; rooks when threshold <= 500, bishops <= 330, knights <= 320, pawns and
// en passant <= 100.
int genere_captures(int write, int threshold);
// Promotions (pushes and captures); returns the write position after the list.
int genere_promotions(int write);
// Queen promotions only, for the quiescence searches; returns the write position.
int genere_promotions_dame(int write);
// Direct checking moves (no discovered checks, castling or promotions); returns the write
// position after the list.
int genere_echecs(int write);

// Orders the list of ply p by score, highest first (a selection sort: equal scores keep no
// particular order, but the same list always comes out the same).
void sort_list(int p);

// The legal moves of the current position (evasions in check, all moves otherwise) in the
// order the generators give them, generated into the list of `height`: a caller below a
// search's lists picks a height above them.
std::vector<Move> legal_moves_at(int height);
