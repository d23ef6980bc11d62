// STUB: replaced by the think driver.
#include "search/root.h"
RootEntry root_list[256];
int32_t root_count;
int32_t root_index;
int32_t root_alpha, root_beta;
uint32_t root_fail_flags;
int64_t search_start;
int32_t last_score = -30000;
int32_t show_thinking = 1;
Move Reflexion() { return 0; }
int RootSearch(Move* best, int, int, int) { *best = 0; return 0; }
void sort_root_list() {}
void sort_list(int) {}
void print_root_line(Move, int, int) {}
void print_pv() {}
void print_statistics() {}
