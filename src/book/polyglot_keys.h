// The Polyglot book vocabulary: the format's 64-bit position key, computed from the position
// record, and its 16-bit move field, converted both ways. Keys and move fields follow the
// format exactly, so books written elsewhere are read here and books written here are read
// elsewhere.
#pragma once

#include <cstdint>

#include "core/types.h"

constexpr int POLYGLOT_RANDOM_COUNT = 781;
constexpr int POLYGLOT_CASTLE_OFFSET = 768;
constexpr int POLYGLOT_EP_OFFSET = 772;
constexpr int POLYGLOT_TURN_OFFSET = 780;

extern const uint64_t POLYGLOT_RANDOM[POLYGLOT_RANDOM_COUNT];

// The key of the current position. The en-passant file counts only when a pawn of the side to
// move stands beside the pawn that just stepped two squares (whether or not the capture would
// be legal), as the format requires.
uint64_t polyglot_key();

// The move field of a move of the side to move: to file in bits 0-2, to rank 3-5, from file
// 6-8, from rank 9-11, promotion 12-14 (knight 1 .. queen 4); castling is written as the king
// taking its own rook (e1h1, e1a1, e8h8, e8a8).
uint16_t polyglot_move_of(Move m);
// The legal move of the side to move that a move field stands for, or 0 when there is none
// (a field that is malformed or illegal here). Overwrites ply 0's move list.
Move move_of_polyglot(uint16_t field);
// The move field as coordinate text ("e2e4", "e7e8q"; castling as the king's own two-square
// step), in a static buffer overwritten by the next call.
const char* polyglot_move_text(uint16_t field);
