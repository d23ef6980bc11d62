// The book check and the book optimisation: walks of the book as a graph of positions joined by
// moves, from the current position. Each run visits a record at most once (visited flags) and
// leaves the position as it found it; only the records' scores change.
#pragma once

#include <cstdint>

constexpr const char* BOOK_REPORT_FILE_NAME = "chkbk.txt";

// Positions processed by the last run.
extern int32_t verified_count;

// Searches every book position reachable from the current one to depth n (1..9) and stores
// each search score in its record; writes loops and unbalanced positions to `chkbk.txt`.
// Leaves `use book` off.
void chkbk(int n);
// Gives every inner book position reachable from the current one the negamax value of its
// book successors' scores, each seen from its own side to move.
void optimizebk();
