// What the search asks of the program that runs it: the opening book's move for the root, what
// input waiting during a search means, and where its reports go. A front end installs its
// answers at start-up; the search knows no front end and prints nothing itself: with nothing
// installed it has no book, ignores its input and reports to no one.
#pragma once

#include "core/types.h"
#include "search/threads.h"

// What waiting input means for the running search.
enum class InputVerdict {
    GO_ON,       // nothing, or something the front end has dealt with on the spot
    STOP,        // the search must end now (its best move so far stands)
    PONDER_HIT,  // the opponent played the predicted move: the search becomes the engine's own
};

// What the search has just found or decided, for a front end that reports it in its own words.
// Each comes from the thread that runs the think, which also owns the clock and the input; the
// front end reads whatever else it shows (depth, nodes, time, root index) from the search state.
enum class SearchEvent {
    FIRST_MOVE,   // the root list is ready; `move` leads it
    NEW_BEST,     // root move `move` has a new best score, re-searched with a full window or not
    ITERATION,    // an iteration is complete
    FAIL_HIGH,    // the score is at least `score`: the window is widened
    FAIL_LOW,     // the score is at most `score`: the window is widened
    THINK_END,    // the think has searched and is about to answer (its statistics are final)
    ALLOCATION,   // a clock mode has given the move its time (clock.h's allocation state)
    LAST_HEIGHT,  // a search has reached the last height; `where` names it
    ROOT_LINE,    // line `line` (1 = best) of a several-line iteration: `move`, `score`, `pv`
};

struct SearchReport {
    SearchEvent event;
    int score = 0;
    Move move = 0;
    bool researched = false;      // NEW_BEST: the score comes from a full-window re-search
    const char* where = nullptr;  // LAST_HEIGHT: the search that got there
    int line = 0;                 // ROOT_LINE: its rank, from 1
    const Move* pv = nullptr;     // ROOT_LINE: the line from the root move on
    int pv_length = 0;
};

struct SearchLink {
    // A move from the opening book for the position at the root, or 0. Asked before a think
    // (never in analysis).
    Move (*book_move)();
    // Asked at each poll once the clock and the limits have been tested.
    InputVerdict (*input)();
    // Receives every report of the search, when installed.
    void (*report)(const SearchReport& report);
};

extern SearchLink search_link;

// Only the thread that runs the think reports: a helper's findings reach the main thread through
// the main table.
inline void report_event(const SearchReport& r)
{
    if (search_link.report != nullptr && helper_number == 0) search_link.report(r);
}
