// STUB: replaced by the quiescence searches.
#include "search/quiescence.h"
uint32_t quiescence_nodes, superq_nodes;
uint32_t quiescence_nodes_by_height[SEARCH_HEIGHTS];
uint32_t superq_nodes_by_height[SEARCH_HEIGHTS];
int SuperQuiescence(int, int, int, int) { return 0; }
int Quiescence(int, int, int) { return 0; }
void prune_bad_captures(int, int) {}
