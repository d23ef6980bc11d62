// The state of the game as a whole, which every set-up resets: the game state index (0 while
// the game goes on, a result otherwise) and the plies at which each side's run of bad scores
// began. The loops set results; set-up puts both back to their values for a new game.
#pragma once

#include <cstdint>

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

// `resign ply` while no run of bad scores is under way; no game ply ever reaches it.
constexpr int32_t NO_RESIGN_PLY = 1024;

extern int32_t game_state;
extern int32_t resign_ply[2];  // [0] Black, [1] White
