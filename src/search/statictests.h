// Static tests the search uses to decide on pruning and extensions without searching.
#pragma once

bool piece_threat(int side, int margin);
bool enough_safe_moves(int height, int margin);
bool queen_contact_mate(int side);
// Drops from the list [first, last) the captures whose victim is worth more than the threshold;
// returns the new end.
int drop_big_captures(int first, int last, int threshold);
