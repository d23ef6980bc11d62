// Endings the evaluation answers before any term: king and pawn against king (from the bit
// base), bishop and knight against king (drive to a corner of the bishop's colour) and a bishop
// with rook's pawns of the wrong colour against a bare king (a draw once the king holds the
// corner).
#pragma once

#include <array>
#include <cstdint>

#include "core/board.h"
#include "core/tables.h"

// Value of the corner drive for the defending king, [case64], for a strong side whose bishop
// runs on dark squares: 100 in a1 and h8, 0 in the two central squares farthest from them.
// A light-square bishop reads the table mirrored top to bottom (case64 ^ 7).
constexpr std::array<int16_t, 64> KBNK_CORNER = {100, 90, 80, 70, 60, 50, 40, 30,    // a1..a8
                                                 90,  75, 65, 55, 45, 35, 20, 40,    // b
                                                 80,  65, 50, 40, 25, 10, 35, 50,    // c
                                                 70,  55, 40, 15, 0,  25, 45, 60,    // d
                                                 60,  45, 25, 0,  15, 40, 55, 70,    // e
                                                 50,  35, 10, 25, 40, 50, 65, 80,    // f
                                                 40,  20, 35, 45, 55, 65, 75, 90,    // g
                                                 30,  40, 50, 60, 70, 80, 90, 100};  // h

// Packed counts (mk) of exactly one knight and one bishop.
constexpr uint32_t MK_KNIGHT_BISHOP = 0x110;
// mk fields other than pawns and bishops: knights, rooks, queens.
constexpr uint32_t MK_NOT_BISHOPS = 0xff0f0;

// Strong side s (+1/-1) with king and one pawn against the bare king, good for s.
int kpk(int s);
// Strong side s with king, bishop and knight against the bare king, good for s.
int kbnk(int s);
// True when side s's bishops (all on one colour) and pawns (all on the rook's file whose corner
// the bishops cannot reach) cannot win against the bare king because it holds that corner.
bool wrong_bishop_draw(int s);
// Answers the special endings once one side has a bare king: true with *score (side to move's
// view) when one applies.
bool bare_king_ending(int* score);
// The same for any position; inline because nearly every evaluation has pieces on both sides.
inline bool special_ending(int* score)
{
    return (mk[BLACK] == 0 || mk[WHITE] == 0) && bare_king_ending(score);
}
