// The two kinds of input of the book builder: opening lists (a weight from 0 to 1000, then
// coordinate moves from the initial position, "#" starting a comment) and PGN game files. Both
// are played on the engine's own position with its legality test.
#pragma once

#include <functional>
#include <istream>
#include <string>

#include "tools/book_builder.h"

// Adds every line of an opening list (lines end at LF, CR LF or a lone CR); false, with *error
// naming the file, the line and the token, at the first bad line (the tally may then hold part
// of the list).
bool add_opening_list(const std::string& file, std::istream& in, BookTally* tally,
                      std::string* error);
// Adds the first plies of every readable game; a game with a malformed text or an unreadable,
// illegal or ambiguous move among those plies is skipped, and `warn` is given a warning naming
// it at once.
void add_pgn_games(const std::string& file, std::istream& in, const BuildOptions& options,
                   BookTally* tally, const std::function<void(const std::string&)>& warn);
