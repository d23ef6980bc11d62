// STUB: replaced by the move notation module.
#include "movegen/notation.h"
const char* move_to_text(Move, bool) { return "//"; }
Move text_to_move(const char*) { return 0; }
int is_legal_move(Move) { return 0; }
