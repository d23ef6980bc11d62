// The piece-square tables of move ordering: an opening set and an ending set, each indexed
// [colour][type << 7 | mailbox square] (a move word holds its type just above its to square).
// White's rows are written below rank 8 first; Black reads the same values mirrored rank for
// rank. Types 0 and 4, border squares and squares 120..127 hold 0.
#pragma once

#include <array>
#include <cstdint>

#include "core/types.h"

using OrderingRows = std::array<std::array<int32_t, 8>, 8>;  // [8 - rank][file - 1], White
using OrderingSet = std::array<std::array<int32_t, 8 << 7>, 2>;

namespace ordering_detail {

constexpr OrderingRows ZERO_ROWS{};

constexpr OrderingRows OPENING_PAWN = {{{300, 300, 300, 300, 300, 300, 300, 300},
                                        {50, 50, 50, 50, 50, 50, 50, 50},
                                        {15, 15, 15, 15, 15, 15, 15, 15},
                                        {5, 5, 5, 10, 10, 5, 5, 5},
                                        {0, 0, 10, 10, 10, 0, 0, 0},
                                        {0, 0, 5, 5, 5, 0, 0, 0},
                                        {5, 5, 5, -10, -10, 5, 5, 5},
                                        {0, 0, 0, 0, 0, 0, 0, 0}}};
constexpr OrderingRows OPENING_KING = {{{-100, -100, -100, -100, -100, -100, -100, -100},
                                        {-70, -70, -70, -70, -70, -70, -70, -70},
                                        {-50, -50, -50, -50, -50, -50, -50, -50},
                                        {-30, -30, -30, -30, -30, -30, -30, -30},
                                        {-18, -18, -18, -18, -18, -18, -18, -18},
                                        {-8, -8, -8, -8, -8, -8, -8, -8},
                                        {-5, -5, -5, -5, -5, -5, -5, -5},
                                        {5, 10, 10, -10, 0, -10, 10, 5}}};
constexpr OrderingRows OPENING_KNIGHT = {{{-30, -5, -5, -5, -5, -5, -5, -30},
                                          {-5, 0, 0, 10, 10, 0, 0, -5},
                                          {-5, 0, 16, 16, 16, 16, 0, -5},
                                          {-5, 3, 6, 12, 12, 6, 3, -5},
                                          {-5, 0, 0, 9, 9, 0, 0, -5},
                                          {-5, 3, 6, 4, 4, 6, 3, -5},
                                          {-5, 0, 0, 3, 3, 0, 0, -5},
                                          {-10, 0, 0, 0, 0, 0, 0, -10}}};
constexpr OrderingRows OPENING_BISHOP = {{{-25, -5, -5, -5, -5, -5, -5, -25},
                                          {-25, 3, 3, 3, 3, 3, 3, -25},
                                          {-5, 3, 3, 10, 10, 3, 3, -5},
                                          {0, 3, 10, 3, 3, 10, 3, 0},
                                          {3, 3, 10, 3, 3, 10, 3, 3},
                                          {-5, 5, 3, 10, 10, 3, 5, -5},
                                          {0, 10, 5, 3, 3, 5, 10, 0},
                                          {-5, -5, -5, -5, -5, -5, -5, -5}}};
constexpr OrderingRows OPENING_ROOK = {{{0, 0, 0, 0, 0, 0, 0, 0},
                                        {10, 10, 10, 10, 10, 10, 10, 10},
                                        {},
                                        {},
                                        {},
                                        {},
                                        {},
                                        {0, 0, 0, 5, 5, 0, 0, 0}}};
constexpr OrderingRows OPENING_QUEEN = {
    {{}, {5, 5, 5, 5, 5, 5, 5, 5}, {5, 5, 5, 5, 5, 5, 5, 5}, {}, {}, {}, {}, {}}};

constexpr OrderingRows ENDING_PAWN = {{{300, 300, 300, 300, 300, 300, 300, 300},
                                       {70, 70, 70, 70, 70, 70, 70, 70},
                                       {35, 35, 35, 35, 35, 35, 35, 35},
                                       {20, 20, 20, 20, 20, 20, 20, 20},
                                       {10, 10, 10, 10, 10, 10, 10, 10},
                                       {},
                                       {},
                                       {}}};
constexpr OrderingRows ENDING_KING = {{{-15, -10, -5, -5, -5, -5, -10, -15},
                                       {-10, 0, 0, 0, 0, 0, 0, -10},
                                       {-5, 0, 10, 10, 10, 10, 0, -5},
                                       {-5, 0, 10, 15, 15, 10, 0, -5},
                                       {-5, 0, 10, 15, 15, 10, 0, -5},
                                       {-5, 0, 10, 10, 10, 10, 0, -5},
                                       {-10, 0, 0, 0, 0, 0, 0, -10},
                                       {-15, -10, -5, -5, -5, -5, -10, -15}}};
constexpr OrderingRows ENDING_KNIGHT = {{{-12, -10, -5, -5, -5, -5, -10, -12},
                                         {-10, 0, 0, 0, 0, 0, 0, -10},
                                         {-5, 0, 10, 10, 10, 10, 0, -5},
                                         {-5, 0, 10, 12, 12, 10, 0, -5},
                                         {-5, 0, 10, 12, 12, 10, 0, -5},
                                         {-5, 0, 10, 10, 10, 10, 0, -5},
                                         {-10, 0, 0, 0, 0, 0, 0, -10},
                                         {-12, -10, -5, -5, -5, -5, -10, -12}}};
constexpr OrderingRows ENDING_BISHOP = {{{-5, 0, 0, 0, 0, 0, 0, -5},
                                         {0, 0, 0, 2, 2, 0, 0, 0},
                                         {0, 0, 5, 5, 5, 5, 0, 0},
                                         {0, 2, 5, 10, 10, 5, 2, 0},
                                         {0, 2, 5, 10, 10, 5, 2, 0},
                                         {0, 0, 5, 5, 5, 5, 0, 0},
                                         {0, 0, 0, 2, 2, 0, 0, 0},
                                         {-5, 0, 0, 0, 0, 0, 0, -5}}};
constexpr OrderingRows ENDING_QUEEN = {{{},
                                        {},
                                        {0, 0, 5, 5, 5, 5, 0, 0},
                                        {0, 0, 5, 10, 10, 5, 0, 0},
                                        {0, 0, 5, 10, 10, 5, 0, 0},
                                        {0, 0, 5, 5, 5, 5, 0, 0},
                                        {},
                                        {}}};

// White reads rank r at row 8 - r, Black (rank mirrored) at row r - 1.
constexpr void fill_type(OrderingSet& set, int type, const OrderingRows& rows)
{
    for (int file = 1; file <= 8; ++file) {
        for (int rank = 1; rank <= 8; ++rank) {
            const int sq = square_of(file, rank);
            set[WHITE][type << 7 | sq] = rows[8 - rank][file - 1];
            set[BLACK][type << 7 | sq] = rows[rank - 1][file - 1];
        }
    }
}

constexpr OrderingSet build_set(const OrderingRows& pawn, const OrderingRows& king,
                                const OrderingRows& knight, const OrderingRows& bishop,
                                const OrderingRows& rook, const OrderingRows& queen)
{
    OrderingSet set{};
    fill_type(set, PAWN, pawn);
    fill_type(set, KING, king);
    fill_type(set, KNIGHT, knight);
    fill_type(set, BISHOP, bishop);
    fill_type(set, ROOK, rook);
    fill_type(set, QUEEN, queen);
    return set;
}

}  // namespace ordering_detail

inline constexpr OrderingSet ORDERING_OPENING = ordering_detail::build_set(
    ordering_detail::OPENING_PAWN, ordering_detail::OPENING_KING, ordering_detail::OPENING_KNIGHT,
    ordering_detail::OPENING_BISHOP, ordering_detail::OPENING_ROOK, ordering_detail::OPENING_QUEEN);

inline constexpr OrderingSet ORDERING_ENDING = ordering_detail::build_set(
    ordering_detail::ENDING_PAWN, ordering_detail::ENDING_KING, ordering_detail::ENDING_KNIGHT,
    ordering_detail::ENDING_BISHOP, ordering_detail::ZERO_ROWS, ordering_detail::ENDING_QUEEN);
