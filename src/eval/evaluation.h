// The static evaluation of the current position from the side to move's view: special endings,
// lazy bounds, the evaluation cache and the full sum of the terms blended by material.
#pragma once

#include <cstdint>

extern uint32_t eval_probes, eval_hits;

int evaluation(int alpha, int beta);
// A pessimistic value of colour s's positional terms other than pawns (at most -100).
int lazy_bound(int s);
int endgame_king_shelter(int s);
int kpk(int s);
int kbnk(int s);
