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

// What the search has just found, for a front end that reports it in its own words.
enum class SearchEvent {
    FIRST_MOVE,  // the root list is ready; `move` leads it
    NEW_BEST,    // root move `move` has a new best score
    ITERATION,   // an iteration is complete
    FAIL_HIGH,   // the score is at least `score`: the window is widened
    FAIL_LOW,    // the score is at most `score`: the window is widened
};

struct SearchLink {
    // A move from the opening book for the position at the root, or 0. Asked before a think
    // (never in analysis).
    Move (*book_move)();
    // Asked at each poll once the clock and the limits have been tested.
    InputVerdict (*input)();
    // When installed, the search reports through it instead of printing its thinking lines.
    void (*report)(SearchEvent event, int score, Move move);
};

extern SearchLink search_link;
