// Storage and initial values of the game settings.
#include "frontend/settings.h"

uint32_t engine_colours = ENGINE_BLACK;
const char* const result_texts[11] = {
    "* {Game in progress}",         "1-0 {White mates}",       "0-1 {Black mates}",
    "1-0 {Black resigns}",          "0-1 {White resigns}",     "1/2-1/2 {Insufficient material}",
    "1/2-1/2 {Draw by repetition}", "1/2-1/2 {50 moves rule}", "1/2-1/2 {Stalemate}",
    "* {Illegal position}",         "* {Result unknown}"};
int32_t pondering = 0;
char line_buffer[LINE_BUFFER_SIZE];
int32_t pending_input = 0;
SearchLimits engine_limits;
