// STUB: replaced by the clocks and the poll.
#include "search/clock.h"
int32_t time_control_mode = TC_FIXED_DEPTH;
int32_t max_depth = 4;
uint32_t max_nodes;
int32_t time_per_move_ms;
void poll() {}
bool may_start_iteration() { return true; }
