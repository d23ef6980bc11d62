// The UCI protocol: the loop, the options, positions given as the start position or a FEN with
// moves, searches started by "go" within the protocol's limits, and what arrives while a
// search runs. Only the protocol's own lines are printed: a message of the engine that a
// command provokes is passed on as an "info string" line.
#pragma once

#include "search/search_link.h"

// The loop; returns on "quit" or at the end of the input. When start-up has already read the
// first "uci" (in the default mode), `greeted` answers it first.
int uci_loop(bool greeted);

// What a line waiting during a search means under UCI: "isready" is answered at once, "stop"
// and "quit" stop the search, "ponderhit" turns a ponder search into the engine's own; other
// lines wait for the search to end. Installed as the search's input question in UCI mode.
InputVerdict uci_search_input();

// Reports a search event as an "info" line. Installed as the search's report in UCI mode.
void uci_report(const SearchReport& report);
