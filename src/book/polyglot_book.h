// The engine's play from a Polyglot book: the one book in use, the choice of a move among the
// book's moves for the position (in proportion to their weights, or the heaviest) and their
// listing. While a Polyglot book is in use the `bibli.bok` table stays empty.
#pragma once

#include <cstdint>
#include <string>

#include "core/types.h"

// When set, the book always plays its heaviest move for a position (the first in file order
// among equals) instead of drawing one in proportion to the weights.
extern int32_t book_heaviest_move;

// Opens path as the Polyglot book in use; 0 on success, -1 (no Polyglot book in use, the reason
// kept for polyglot_book_problem) on failure. Prints nothing.
int open_polyglot_book(const char* path);
void close_polyglot_book();
bool polyglot_book_in_use();
// Entries in the book in use (0 when none).
int64_t polyglot_book_entries();
// Why the last opening failed, naming the file ("" after a success), in English or French.
std::string polyglot_book_problem();
std::string polyglot_book_problem_fr();
// Prints that reason as the mode wants it: a French line in text mode, an "info string" line in
// UCI mode, a "#" comment line for an xboard interface.
void print_polyglot_book_problem();

// The book's move for the side to move, or 0; prints the book line (outside UCI) when the book
// knows a legal move here. Book moves that are illegal in the position are skipped. A book that
// proves damaged during the lookup is closed, with its reason printed, and answers 0.
// Overwrites ply 0's move list.
Move choose_polyglot_move();
// Prints each legal book move of the position with its weight.
void list_polyglot_moves();
