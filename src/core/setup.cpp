// STUB: replaced by the set-up module.
#include "core/setup.h"
int lit_fen(const char*) { return -1; }
void nouvelle_partie() {}
int init_echiquier(const int32_t*, int, uint32_t, uint32_t) { return -1; }
int init_ficha() { return -1; }
void calcule_attaques(uint32_t[2][BOARD_SIZE]) {}
int32_t init_position(uint32_t, uint32_t) { return 0; }
void init_pions() {}
