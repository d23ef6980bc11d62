// Position set-up: from a board, from a FEN or EPD record, or a new game. A set-up rebuilds every
// field of the position record from `echiquier`; a rejected one leaves the last accepted
// position in place, consistent, with game state 9.
#pragma once

#include <array>
#include <cstdint>

#include "core/types.h"

// The initial board in sq64 order (a1, a2, .., a8, b1, ..), board codes.
constexpr std::array<int32_t, 64> initial_board = {
    22, 17, 0,  0,  0,  0,  9, 14, 19, 17, 0,  0,  0,  0,  9, 11, 21, 17, 0,  0,  0, 0,
    9,  13, 23, 17, 0,  0,  0, 0,  9,  15, 18, 17, 0,  0,  0, 0,  9,  10, 21, 17, 0, 0,
    0,  0,  9,  13, 19, 17, 0, 0,  0,  0,  9,  11, 22, 17, 0, 0,  0,  0,  9,  14};

// The fields of a FEN or EPD record: the board in sq64 order, the side (+1/-1), castling
// rights, the en-passant square (0 for none), an EPD "bm" move and where the rest begins.
constexpr int BEST_MOVE_CHARS = 7;
struct FenRecord {
    int32_t board[64];
    int side;
    uint32_t castling;
    uint32_t ep_square;
    bool has_best_move;
    char best_move[BEST_MOVE_CHARS + 1];
    const char* rest;  // points into the text
};
// Reads a record without setting anything up; -1 when its placement is malformed.
int parse_fen(const char* text, FenRecord* out);
int lit_fen(const char* text);
void nouvelle_partie();
// board: 64 entries in sq64 order, or nullptr to keep `echiquier` (then castling 15, no ep).
int init_echiquier(const int32_t* board, int side, uint32_t castling, uint32_t ep_square);
// The reversible plies already played before the set-up position (a FEN's half-move clock):
// the fifty-move rule counts them. Set right after a set-up, at ply 0.
void set_halfmove_clock(int32_t plies);
// Sets the current position up again as a new game at ply 0, with its side to move, castling
// rights, en-passant square and half-move clock; the moves that led to it are forgotten.
int restart_game_here();
int init_ficha();
void calcule_attaques(uint32_t dest[2][BOARD_SIZE]);
int32_t init_position(uint32_t castling, uint32_t ep_square);
void init_pions();
