// Move ordering: the scores of a height's list (precise ordering at full-width nodes, the cheap
// ordering, evasions, captures) and the pick of the best-scored entry. Scores are signed 16-bit
// and wrap; the height's hash move always scores 20000. Heights outside 0..63 are left alone.
#pragma once

#include "core/types.h"
#include "search/ordering_tables.h"

// The score every routine gives the height's hash move.
constexpr int HASH_MOVE_SCORE = 20000;

// Scores the list and removes the illegal moves.
void ordonne_precis(int height);
void ordonne(int height);
void ordonne_evasions(int height);
void ordonne_captures(int height);
// Removes and returns the highest-scored entry of the height's list (the first of equal maxima);
// 0 when the list is empty.
Move next_move(int height);

// The piece-square set for the current position: the ending set when neither colour has more
// than one sliding piece, the opening set otherwise.
const OrderingSet& ordering_set();
