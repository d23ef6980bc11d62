// Move ordering: the scores of a height's list (precise ordering at full-width nodes, the cheap
// ordering, evasions, captures) and the pick of the best-scored entry.
#pragma once

#include "core/types.h"

// Scores the list and removes the illegal moves.
void ordonne_precis(int height);
void ordonne(int height);
void ordonne_evasions(int height);
void ordonne_captures(int height);
// Removes and returns the highest-scored entry of the height's list (the first of equal maxima).
Move next_move(int height);
