// The game settings that both loops change and that set-up, the game-end test, the search and
// the book read: plain globals alive for the whole run, with the initial values of a fresh
// process. Only the front end writes them (set-up resets game state and the resign plies).
#pragma once

#include <cstdint>

constexpr uint32_t ENGINE_NONE = 0;
constexpr uint32_t ENGINE_BLACK = 1;
constexpr uint32_t ENGINE_WHITE = 2;
constexpr uint32_t ENGINE_BOTH = 3;

constexpr int32_t GAME_IN_PROGRESS = 0;
constexpr int32_t GAME_WHITE_MATES = 1;
constexpr int32_t GAME_BLACK_MATES = 2;
constexpr int32_t GAME_BLACK_RESIGNS = 3;
constexpr int32_t GAME_WHITE_RESIGNS = 4;
constexpr int32_t GAME_INSUFFICIENT = 5;
constexpr int32_t GAME_REPETITION = 6;
constexpr int32_t GAME_FIFTY_MOVES = 7;
constexpr int32_t GAME_STALEMATE = 8;
constexpr int32_t GAME_ILLEGAL_POSITION = 9;
constexpr int32_t GAME_UNKNOWN = 10;

constexpr int LINE_BUFFER_SIZE = 256;
constexpr int32_t NO_RESIGN_PLY = 1024;

extern uint32_t engine_colours;
extern int32_t game_state;
extern const char* const result_texts[11];
extern int32_t analyse_mode;
extern int32_t pondering;
extern int32_t resign_ply[2];
extern char line_buffer[LINE_BUFFER_SIZE];
extern int32_t pending_input;
extern int32_t draw_value;
extern int32_t operator_time;

// A draw may be valued like any position, never like a mate: a larger value would pass for a
// mate in the transposition table and overflow the search's negations.
constexpr int32_t MAX_DRAW_VALUE = 10000;
constexpr int32_t bounded_draw_value(int64_t v)
{
    if (v < -MAX_DRAW_VALUE) return -MAX_DRAW_VALUE;
    return v > MAX_DRAW_VALUE ? MAX_DRAW_VALUE : static_cast<int32_t>(v);
}

// The bit of `engine colours` for a side (+1 White, -1 Black).
constexpr uint32_t engine_colour_bit(int side) { return static_cast<uint32_t>((side + 3) >> 1); }
