// STUB: replaced by move ordering.
#include "search/ordering.h"

#include "movegen/movegen.h"
void ordonne_precis(int) {}
void ordonne(int) {}
void ordonne_evasions(int) {}
void ordonne_captures(int) {}
Move next_move(int height)
{
    if (ply_start[height + 1] <= ply_start[height]) return 0;
    return move_stack[--ply_start[height + 1]].move;
}
