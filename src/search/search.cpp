// STUB: replaced by the alpha-beta search.
#include "search/search.h"
int32_t search_stopped;
uint32_t poll_nodes;
int32_t iteration_depth;
int32_t root_ply;
uint32_t search_nodes;
uint32_t search_nodes_by_height[SEARCH_HEIGHTS];
uint32_t null_move_tries, null_move_cutoffs, threat_extensions;
uint32_t search_cutoffs, first_move_cutoffs;
uint32_t ext_in_check, ext_recapture, ext_promotion, ext_mate_threat;
PlyInfo ply_info[SEARCH_HEIGHTS];
MovePair killers[SEARCH_HEIGHTS];
MovePair countermoves[2][2048];
HistoryEntry history[2][2048];
int Search(int, int, int, int, int) { return 0; }
int extensions(int, int, int, int) { return 0; }
bool hash_allows_null(int, int) { return true; }
void update_pair(MovePair*, Move) {}
void clear_search_tables() {}
