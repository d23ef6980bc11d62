// Move ordering: the scores of a height's list (precise ordering at full-width nodes, the cheap
// ordering, evasions, captures) and the pick of the best-scored entry. Scores are signed 16-bit
// and wrap; the height's hash move always scores 20000. Heights outside 0..63 are left alone.
#pragma once

#include "core/types.h"
#include "search/ordering_tables.h"

// The score every routine gives the height's hash move.
constexpr int HASH_MOVE_SCORE = 20000;

// What the scoring routines return for a height outside 0..63.
constexpr int NO_PICK = -1;

// Score the list (ordonne_precis also removes the illegal moves) and return the move stack
// index of the entry next_move would pick first, so that the first pick needs no scan; when the
// list is empty the index is its start and means nothing.
int ordonne_precis(int height);
int ordonne(int height);
int ordonne_evasions(int height);
int ordonne_captures(int height);
// Removes and returns the highest-scored entry of the height's list (the first of equal maxima);
// 0 when the list is empty.
Move next_move(int height);
// Removes and returns the entry at `index` of the height's list, filling its place with the
// last entry as next_move does (index is a first pick returned by a scoring routine).
Move take_move(int height, int index);

// The piece-square set for the current position: the ending set when neither colour has more
// than one sliding piece, the opening set otherwise.
const OrderingSet& ordering_set();
