// The console's displays: the board, the position line, move lists, the game's moves, the
// search statistics and the move path printed by diagnostics. None of them changes the
// position; the board display borrows `root_ply` for its repetition count and gives it back.
#pragma once

#include <cstdint>

#include "movegen/notation.h"  // print_search_path, shown with the board by diagnostics

// 1: drawn as seen from White (rank 8 on top, a-file on the left); 0: as seen from Black.
extern int32_t board_orientation;

// The framed board, then the castling rights, the en-passant square and the repetition count
// when there is something to say about them.
void affiche_echiquier();

// The position in FEN form without move counters: board, side, castling rights, en passant.
void write_position_line(const uint8_t* board, int side, uint32_t castling, uint32_t ep_square);
// The moves of ply 0's list, numbered from 1, eight to a line.
void print_move_list();
// The moves of the position in four groups (all moves or evasions, captures, checks,
// promotions), each generated into ply 0's list and printed with print_move_list.
void print_move_groups();
// The game's moves from ply 0 in long form, numbered before each White move.
void print_game_moves();
// Nodes per height of the last search, up to the height where 99% of them were spent.
void print_search_statistics();
