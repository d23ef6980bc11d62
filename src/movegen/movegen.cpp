// STUB: replaced by the generators.
#include "movegen/movegen.h"
MoveEntry move_stack[MOVE_STACK_SIZE];
int32_t ply_start[MAX_HEIGHT + 2];
uint32_t genere_calls;
void genere_all_moves(int p) { ply_start[p + 1] = ply_start[p]; }
void genere_evasions(int p) { ply_start[p + 1] = ply_start[p]; }
int genere_captures(int write, int) { return write; }
int genere_promotions(int write) { return write; }
int genere_promotions_dame(int write) { return write; }
int genere_echecs(int write) { return write; }
