// The game as a whole: the game-end test that the loops run before each engine turn, and the
// saved game "game.pgn". Reads the position record and the game settings; writes only
// `root_ply` and the file.
#pragma once

#include <cstdint>

#include "core/repetition.h"

// The game state index of the current position: 0 in progress, 1 White mates, 2 Black mates,
// 5 insufficient material, 6 repetition, 7 fifty-move rule, 8 stalemate. Sets `root_ply`.
int game_end_test();

// Takes the last move of the game back (nothing at ply 0); the game is then in progress again.
void take_back_game_move();

// A line of 75 dashes: the frame of the help text and of the book editor's listings.
void print_rule();

// Writes the game (the moves from ply 0 to the current ply) to "game.pgn" in the working
// directory and prints the confirmation; -1 after printing the message when it cannot be opened.
int write_pgn();
