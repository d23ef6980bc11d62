// What the search asks of the program that runs it: the opening book's move for the root, and
// what input waiting during a search means. A front end installs its answers at start-up; the
// search knows no front end, and with nothing installed it has no book and ignores its input.
#pragma once

#include "core/types.h"

// What waiting input means for the running search.
enum class InputVerdict {
    GO_ON,       // nothing, or something the front end has dealt with on the spot
    STOP,        // the search must end now (its best move so far stands)
    PONDER_HIT,  // the opponent played the predicted move: the search becomes the engine's own
};

struct SearchLink {
    // A move from the opening book for the position at the root, or 0. Asked before a think
    // (never in analysis).
    Move (*book_move)();
    // Asked at each poll once the clock and the limits have been tested.
    InputVerdict (*input)();
};

extern SearchLink search_link;
