// STUB: replaced by the evaluation driver. Until then the evaluation is the material score.
#include "eval/evaluation.h"

#include "core/board.h"
uint32_t eval_probes, eval_hits;
int evaluation(int, int) { return pos()->score_materiel; }
int lazy_bound(int) { return -100; }
int endgame_king_shelter(int) { return 0; }
int kpk(int) { return 0; }
int kbnk(int) { return 0; }
