// Basic vocabulary of the position: square codes, piece types, colours, the move word and
// 96-bit keys. Everything here is constexpr and header-only; no state lives in this file.
// Colour tables are indexed [0] Black, [1] White; `trait` is +1 White, -1 Black.
#pragma once

#include <cstdint>

using Move = uint32_t;  // from 0-6, to 7-13, moving type 14-16, captured 17-19, promotion 20-22

// Piece types (3 bits). Bit value 4 is set exactly for the sliders.
constexpr int NO_TYPE = 0;
constexpr int PAWN = 1;
constexpr int KING = 2;
constexpr int KNIGHT = 3;
constexpr int BISHOP = 5;
constexpr int ROOK = 6;
constexpr int QUEEN = 7;
constexpr int SLIDER_BIT = 4;

// Board bytes: empty, border (the space character), colour bit + type.
constexpr uint8_t EMPTY = 0;
constexpr uint8_t BORDER = 32;
constexpr uint8_t WHITE_BIT = 16;
constexpr uint8_t BLACK_BIT = 8;
constexpr uint8_t OCCUPIED_BITS = 24;

constexpr int BLACK = 0;
constexpr int WHITE = 1;

constexpr int BOARD_SIZE = 120;
constexpr int MAX_PLY_RECORDS = 1024;

// Piece kinds for the key and material tables (black 0..5, white 6..11).
constexpr int KIND_PAWN = 0;
constexpr int KIND_KING = 1;
constexpr int KIND_KNIGHT = 2;
constexpr int KIND_BISHOP = 3;
constexpr int KIND_ROOK = 4;
constexpr int KIND_QUEEN = 5;

// Castling rights bits of `roque`.
constexpr uint32_t BLACK_KING_SIDE = 1;
constexpr uint32_t BLACK_QUEEN_SIDE = 2;
constexpr uint32_t WHITE_KING_SIDE = 4;
constexpr uint32_t WHITE_QUEEN_SIDE = 8;

// The named squares (mailbox indices: 10 * (file + 1) + rank, files a..h = 1..8), and the
// first and last squares of the board in index order.
// clang-format off
constexpr int SQ_A1 = 21, SQ_A2 = 22, SQ_A3 = 23, SQ_A4 = 24, SQ_A5 = 25, SQ_A6 = 26, SQ_A7 = 27, SQ_A8 = 28;
constexpr int SQ_B1 = 31, SQ_B2 = 32, SQ_B3 = 33, SQ_B4 = 34, SQ_B5 = 35, SQ_B6 = 36, SQ_B7 = 37, SQ_B8 = 38;
constexpr int SQ_C1 = 41, SQ_C2 = 42, SQ_C3 = 43, SQ_C4 = 44, SQ_C5 = 45, SQ_C6 = 46, SQ_C7 = 47, SQ_C8 = 48;
constexpr int SQ_D1 = 51, SQ_D2 = 52, SQ_D3 = 53, SQ_D4 = 54, SQ_D5 = 55, SQ_D6 = 56, SQ_D7 = 57, SQ_D8 = 58;
constexpr int SQ_E1 = 61, SQ_E2 = 62, SQ_E3 = 63, SQ_E4 = 64, SQ_E5 = 65, SQ_E6 = 66, SQ_E7 = 67, SQ_E8 = 68;
constexpr int SQ_F1 = 71, SQ_F2 = 72, SQ_F3 = 73, SQ_F4 = 74, SQ_F5 = 75, SQ_F6 = 76, SQ_F7 = 77, SQ_F8 = 78;
constexpr int SQ_G1 = 81, SQ_G2 = 82, SQ_G3 = 83, SQ_G4 = 84, SQ_G5 = 85, SQ_G6 = 86, SQ_G7 = 87, SQ_G8 = 88;
constexpr int SQ_H1 = 91, SQ_H2 = 92, SQ_H3 = 93, SQ_H4 = 94, SQ_H5 = 95, SQ_H6 = 96, SQ_H7 = 97, SQ_H8 = 98;
// clang-format on
constexpr int FIRST_SQUARE = SQ_A1, LAST_SQUARE = SQ_H8;

constexpr int square_of(int file, int rank) { return 10 * (file + 1) + rank; }  // files, ranks 1..8
constexpr bool is_border(uint8_t code) { return code == BORDER; }
constexpr bool is_occupied(uint8_t code) { return (code & OCCUPIED_BITS) != 0; }
constexpr int colour_of(uint8_t code) { return (code >> 4) & 1; }
constexpr int type_of(uint8_t code) { return code & 7; }
constexpr int colour_index(int side) { return (side + 1) >> 1; }  // side is +1 or -1
// Rank r (1..8) counted from colour index c's own side: White's as it is, Black's mirrored.
constexpr int relative_rank(int c, int r) { return c == WHITE ? r : 9 - r; }
constexpr uint8_t colour_bit(int side) { return side > 0 ? WHITE_BIT : BLACK_BIT; }
constexpr uint8_t colour_bit_of_index(int c) { return c == WHITE ? WHITE_BIT : BLACK_BIT; }
constexpr bool is_slider(int type) { return (type & SLIDER_BIT) != 0; }

constexpr int move_from(Move m)
{
    return m & 127;
}
constexpr int move_to(Move m)
{
    return (m >> 7) & 127;
}
constexpr int move_piece(Move m)
{
    return (m >> 14) & 7;
}
constexpr int move_captured(Move m)
{
    return (m >> 17) & 7;
}
constexpr int move_promotion(Move m)
{
    return (m >> 20) & 7;
}
constexpr Move make_move_word(int from, int to, int piece, int captured = 0, int promotion = 0)
{
    return Move(from) | Move(to) << 7 | Move(piece) << 14 | Move(captured) << 17 |
           Move(promotion) << 20;
}
constexpr Move MOVE_MASK = 0x7fffff;  // bits 0-22: what a move word may carry
constexpr Move NULL_MOVE = 0;

// A 96-bit key: three 32-bit words handled independently; word 2 indexes the caches.
struct Key96 {
    uint32_t w[3];
};
constexpr Key96 operator^(Key96 a, Key96 b)
{
    return Key96{{a.w[0] ^ b.w[0], a.w[1] ^ b.w[1], a.w[2] ^ b.w[2]}};
}
constexpr Key96& operator^=(Key96& a, Key96 b)
{
    a.w[0] ^= b.w[0];
    a.w[1] ^= b.w[1];
    a.w[2] ^= b.w[2];
    return a;
}
constexpr bool operator==(Key96 a, Key96 b)
{
    return a.w[0] == b.w[0] && a.w[1] == b.w[1] && a.w[2] == b.w[2];
}
