// Several best root moves per iteration: after the iteration's own search, each further pass
// searches the root list with the moves already chosen left out, and the lines are kept sorted
// by score. With one line asked for nothing here runs, so the search is exactly the plain one.
#pragma once

#include <cstdint>

#include "core/types.h"
#include "platform/thread_state.h"

constexpr int ROOT_LINE_PV = 32;  // moves kept per line, its root move included

struct RootLine {
    Move move;
    int32_t score;
    int32_t pv_length;
    Move pv[ROOT_LINE_PV];
};

// Lines the running think searches per iteration (1..256), from its limits.
extern QV_THREAD_STATE int32_t multipv_lines;
// The lines of the last iteration whose passes all ended, best first; 0 before the first.
extern QV_THREAD_STATE RootLine root_lines[];
extern QV_THREAD_STATE int32_t root_line_count;

// Forgets the lines of the previous think.
void clear_root_lines();
// Called once an iteration's own search ended with *best and last_score: searches the further
// lines at this depth (sixtieths of a ply) and reports them all. *best and last_score become the
// first line's when the passes rank another move first. False when the think was stopped
// meanwhile; the root list and its tags are then as the iteration's own search left them.
bool search_other_lines(Move* best, int depth);
