// Storage and initial values of the search settings: no analysis, a draw worth 0, no operator
// time.
#include "search/options.h"

int32_t draw_value = 0;
int32_t operator_time = 0;
