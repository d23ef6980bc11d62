// Books as inputs of the book builder: a Polyglot `.bin` or a `bibli.bok` merges into the tally
// of either output. A book that keeps the move (Polyglot into Polyglot) merges entry by entry;
// otherwise the book is walked from the initial position, so that only what can be reached by
// its own moves is converted.
#pragma once

#include <string>
#include <vector>

#include "tools/book_builder.h"

// Merges a Polyglot book: each entry's weight counts as a line weight (for a `bibli.bok` output,
// scaled to 0..1000). False, with *error naming the file, when the book is refused; entries
// whose move is illegal or whose position is not reached are left out with a warning.
bool add_polyglot_book(const std::string& file, BookTally* tally, std::string* error,
                       std::vector<std::string>* warnings);
// Merges a `bibli.bok`: for a `bibli.bok` output each record's attrait counts as a line weight
// of its position; for a Polyglot output each move from a book position to a book successor
// becomes an entry, weighed as the engine would draw it (the successor's attrait when it has the
// best score for the mover, else 0). False, with *error naming the file, when it cannot be read.
bool add_bok_book(const std::string& file, BookTally* tally, std::string* error,
                  std::vector<std::string>* warnings);
