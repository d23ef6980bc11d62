// The game settings of the loops: the colours the engine plays, the result texts, pondering and
// the command line being read, plain globals with the values of a fresh process. The game state
// lives with the position core and the search settings with the search; both come with this.
#pragma once

#include <cstdint>

#include "core/game.h"
#include "search/limits.h"
#include "search/options.h"

constexpr uint32_t ENGINE_NONE = 0;
constexpr uint32_t ENGINE_BLACK = 1;
constexpr uint32_t ENGINE_WHITE = 2;
constexpr uint32_t ENGINE_BOTH = 3;

constexpr int LINE_BUFFER_SIZE = 256;

extern uint32_t engine_colours;
extern const char* const result_texts[11];
extern int32_t pondering;
extern char line_buffer[LINE_BUFFER_SIZE];
extern int32_t pending_input;
// The limits the xboard mode and the console think with: their level, depth, node and time
// commands change it, "analyze" and "exit" its analysis flag.
extern SearchLimits engine_limits;

// The bit of `engine colours` for a side (+1 White, -1 Black).
constexpr uint32_t engine_colour_bit(int side)
{
    return static_cast<uint32_t>((side + 3) >> 1);
}
