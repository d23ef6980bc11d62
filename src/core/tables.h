// Geometry and bit tables. Constant ones are constexpr data built from their rule at compile
// time; the eight tables below the builders are filled once at start-up by the five builders,
// called in this order (the last three read the border of `echiquier`).
#pragma once

#include <array>
#include <cstdint>

#include "core/board.h"
#include "core/types.h"

// ---- constant tables ------------------------------------------------------------------------

namespace tables_detail {
constexpr bool on_board(int sq)
{
    return sq >= FIRST_SQUARE && sq <= LAST_SQUARE && sq % 10 != 0 && sq % 10 != 9;
}
constexpr int file_of(int sq)
{
    return on_board(sq) ? sq / 10 - 1 : 0;
}
constexpr int rank_of(int sq)
{
    return on_board(sq) ? sq % 10 : 0;
}
template <typename T, typename F>
constexpr std::array<T, BOARD_SIZE> by_square(F f)
{
    std::array<T, BOARD_SIZE> a{};
    for (int sq = 0; sq < BOARD_SIZE; ++sq) a[sq] = static_cast<T>(on_board(sq) ? f(sq) : 0);
    return a;
}
}  // namespace tables_detail

constexpr bool on_board(int sq)
{
    return tables_detail::on_board(sq);
}

// sq64 of a mailbox square (0 on the border) and back.
constexpr auto case64 = tables_detail::by_square<uint8_t>(
    [](int sq) { return 8 * (tables_detail::file_of(sq) - 1) + tables_detail::rank_of(sq) - 1; });
constexpr auto case120 = [] {
    std::array<uint8_t, 64> a{};
    for (int i = 0; i < 64; ++i) a[i] = static_cast<uint8_t>(square_of(i / 8 + 1, i % 8 + 1));
    return a;
}();
constexpr auto colonne = tables_detail::by_square<uint8_t>(tables_detail::file_of);
constexpr auto rangee = tables_detail::by_square<uint8_t>(tables_detail::rank_of);
// 0 dark (a1), 1 light.
constexpr auto couleur_case = tables_detail::by_square<uint8_t>(
    [](int sq) { return (tables_detail::file_of(sq) + tables_detail::rank_of(sq)) & 1; });

// Square names "a1".."h8", "??" on the border; each entry is a NUL-terminated string.
constexpr auto nom_case = [] {
    std::array<std::array<char, 3>, BOARD_SIZE> a{};
    for (int sq = 0; sq < BOARD_SIZE; ++sq) {
        if (on_board(sq))
            a[sq] = {char('a' + tables_detail::file_of(sq) - 1),
                     char('0' + tables_detail::rank_of(sq)), 0};
        else
            a[sq] = {'?', '?', 0};
    }
    return a;
}();
inline const char* square_name(int sq)
{
    return nom_case[sq].data();
}

constexpr std::array<int32_t, 8> valeur_piece = {0, 100, 10000, 320, 0, 330, 500, 950};
constexpr std::array<uint8_t, 8> kind_of_type = {0, 0, 1, 2, 0, 3, 4, 5};
constexpr std::array<uint32_t, 8> count_increment = {0, 1, 0, 16, 0, 256, 4096, 65536};
constexpr char type_letters[] = ".PKN?BRQX";

// ANDed into `roque` when a move leaves from or arrives on a square (by sq64).
constexpr auto castle_mask = [] {
    std::array<uint8_t, 64> a{};
    for (auto& v : a) v = 15;
    a[0] = 7;    // a1
    a[32] = 3;   // e1
    a[56] = 11;  // h1
    a[7] = 13;   // a8
    a[39] = 12;  // e8
    a[63] = 14;  // h8
    return a;
}();

// Rank markers signed like `trait`: promotion rank (+1 on rank 1, -1 on rank 8), start rank
// (+1 rank 2, -1 rank 7) and double-step target rank (+1 rank 4, -1 rank 5).
constexpr auto promotion_rank = tables_detail::by_square<int8_t>([](int sq) {
    return sq % 10 == 1 ? 1 : sq % 10 == 8 ? -1 : 0;
});
constexpr auto start_rank = tables_detail::by_square<int8_t>([](int sq) {
    return sq % 10 == 2 ? 1 : sq % 10 == 7 ? -1 : 0;
});
constexpr auto double_step_rank = tables_detail::by_square<int8_t>([](int sq) {
    return sq % 10 == 4 ? 1 : sq % 10 == 5 ? -1 : 0;
});
// bit (file - 1) in bits 0-7 and bit (rank - 1) in bits 8-15.
constexpr auto file_rank_bits = tables_detail::by_square<uint16_t>([](int sq) {
    return (1 << (tables_detail::file_of(sq) - 1)) | (1 << (tables_detail::rank_of(sq) + 7));
});

// Per colour, the pawn-file table holding the highest and the one holding the lowest rank of
// that colour's pawns on a file (Black: highest is the rearmost; White: highest is the most
// advanced). A pawn leaving a file rescans through these without testing its colour.
// The tables are the thread's own, so the pair is chosen here rather than kept as addresses.
inline int32_t* highest_pawn_rank(int c)
{
    return c == BLACK ? pion_moins_avance[BLACK] : pion_plus_avance[WHITE];
}
inline int32_t* lowest_pawn_rank(int c)
{
    return c == BLACK ? pion_plus_avance[BLACK] : pion_moins_avance[WHITE];
}

// Steps, in the orders in which attacks and moves are written.
constexpr std::array<int, 8> KING_STEPS = {1, -1, 10, -10, -9, 11, -11, 9};
constexpr std::array<int, 8> KNIGHT_STEPS = {12, -8, 21, -19, 8, -12, 19, -21};

// ---- tables built at start-up -----------------------------------------------------------------

extern uint8_t bit_count[65536];
extern uint8_t lowest_bit[65536];  // index of the lowest set bit; 0 for mask 0
extern uint8_t distance[BOARD_SIZE][BOARD_SIZE];

// The piece-list slot bits of an attack or type mask: bit 16 of `attaques` is the evasion
// generator's transient x-ray mark and never a slot.
constexpr uint32_t SLOT_BITS = 0xffff;
// The number of slots in a mask.
inline int slot_count(uint32_t mask)
{
    return bit_count[mask & SLOT_BITS];
}
extern uint16_t move_index[16384];           // [from * 128 + to], 1..1792 or 0
extern int8_t direction[100 * 100];          // [from * 100 + to]
extern uint8_t band_edge[100 * 100];         // [king * 100 + s]
extern int8_t band_step[100 * 100];          // [king * 100 + s]
extern int8_t diagonal_approach[100 * 100];  // [x * 100 + king]

void init_bit_tables();
void init_distance_table();
void init_move_index_table();
void init_direction_table();
void init_king_zone_tables();

// All five builders in their fixed order.
void init_static_tables();
