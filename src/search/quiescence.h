// The two quiescence levels below the full-width search: SuperQuiescence (captures, checks and
// evasions for a ply or two) and Quiescence (captures only), with their node counters.
#pragma once

#include <cstdint>

#include "platform/thread_state.h"
#include "search/search.h"

extern QV_THREAD_STATE uint64_t quiescence_nodes, superq_nodes;
extern QV_THREAD_STATE uint32_t quiescence_nodes_by_height[SEARCH_HEIGHTS];
extern QV_THREAD_STATE uint32_t superq_nodes_by_height[SEARCH_HEIGHTS];

int SuperQuiescence(int alpha, int beta, int height, int depth);
// SuperQuiescence(alpha, beta, height, TWO_PLIES) for Search at its horizon, which has already
// applied to this node the same height limit, mate-distance and draw rules (with a wider
// mate-distance bound) and passes whether the side to move is in check.
int SuperQuiescenceAtHorizon(int alpha, int beta, int height, bool check);
int Quiescence(int alpha, int beta, int height);
// Filters the captures of a height's list in place.
void prune_bad_captures(int height, int threshold);
