// STUB: replaced by the make/unmake module.
#include "core/makemove.h"
uint64_t make_move_calls;
void make_move(Move) {}
void unmake_move(Move) {}
void make_null_move() {}
void unmake_null_move() {}
void bascule_rayons(int, int, uint32_t*, uint32_t) {}
