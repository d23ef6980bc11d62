// The piece terms of one colour. Every rule is written once from White's point of view and read
// for Black through relative ranks (rank r of Black is White's rank 9 - r) and the forward step
// s, so the two colours are exact mirror images. Only `mobility_total` and `penalty` are written.
#include "eval/pieces.h"

#include <algorithm>
#include <array>

#include "core/board.h"
#include "core/material.h"
#include "core/tables.h"
#include "eval/exchange.h"
#include "eval/pawns.h"
#include "eval/slider_lines.h"
#include "platform/thread_state.h"

QV_THREAD_STATE int32_t mobility_total;
QV_THREAD_STATE int32_t penalty[2];

namespace {

using SquareTable = std::array<int8_t, BOARD_SIZE>;
using Rows = int8_t[4][8];  // by file pair a/h, b/g, c/f, d/e, then rank 1..8 (White's view)

constexpr int file_pair(int file)
{
    return file <= 4 ? file - 1 : 8 - file;
}

// A pawn-file table's rank counted from colour index c's side. Black's "no pawn" value 9
// becomes 0 like White's, and a 0 stays 0, so a missing pawn reads the same for both colours.
constexpr int relative_pawn_rank(int c, int r)
{
    return r == 0 ? 0 : relative_rank(c, r);
}

// The square of file f (1..8) and relative rank r (1..8) of colour index c.
constexpr int relative_square(int c, int f, int r)
{
    return square_of(f, c == WHITE ? r : 9 - r);
}

// [colour index][square]: White reads its rank, Black the mirrored one.
constexpr std::array<SquareTable, 2> by_colour(const Rows& rows)
{
    std::array<SquareTable, 2> t{};
    for (int c = 0; c < 2; ++c)
        for (int f = 1; f <= 8; ++f)
            for (int r = 1; r <= 8; ++r) t[c][relative_square(c, f, r)] = rows[file_pair(f)][r - 1];
    return t;
}

constexpr Rows KNIGHT_RIM_ROWS = {{15, 10, 5, 0, 0, 5, 10, 15},
                                  {10, 5, 0, 0, 0, 0, 5, 10},
                                  {5, 0, 0, 0, 0, 0, 0, 5},
                                  {5, 0, 0, 0, 0, 0, 0, 5}};
constexpr Rows KNIGHT_SQUARE_ROWS = {{0, 1, 2, 2, 2, 2, 1, 0},
                                     {1, 2, 4, 6, 8, 8, 6, 0},
                                     {2, 3, 6, 8, 10, 12, 10, 0},
                                     {2, 5, 6, 8, 10, 12, 12, 0}};
constexpr Rows KNIGHT_OUTPOST_ROWS = {{0, 0, 0, 0, 0, 0, 0, 0},
                                      {0, 0, 0, 0, 14, 16, 0, 0},
                                      {0, 0, 0, 12, 18, 20, 18, 0},
                                      {0, 0, 0, 16, 18, 20, 18, 0}};
constexpr Rows BISHOP_SQUARE_ROWS = {{0, -1, -2, -3, -4, -4, -2, 0},
                                     {-2, 1, 1, 0, 0, 1, 1, -1},
                                     {-4, 0, 3, 4, 5, 5, 2, -2},
                                     {-5, -2, 3, 8, 9, 6, 2, -2}};
constexpr Rows QUEEN_SQUARE_ROWS = {{-15, -12, -10, -5, -5, -10, -12, -15},
                                    {-12, -6, 0, 0, 0, 0, -6, -12},
                                    {-5, 0, 0, 0, 0, 0, 0, -5},
                                    {-5, 0, 0, 0, 0, 0, 0, -5}};

constexpr auto knight_rim = by_colour(KNIGHT_RIM_ROWS);
constexpr auto knight_square = by_colour(KNIGHT_SQUARE_ROWS);
constexpr auto knight_outpost = by_colour(KNIGHT_OUTPOST_ROWS);
constexpr auto bishop_square = by_colour(BISHOP_SQUARE_ROWS);
constexpr auto queen_square = by_colour(QUEEN_SQUARE_ROWS);

// By number of safe knight targets 0..8.
constexpr int KNIGHT_MOBILITY[9] = {0, 0, 42, 71, 91, 106, 116, 123, 128};
// By type of an attacked opponent piece (P K N - B R Q).
constexpr int KNIGHT_ATTACK_BONUS[8] = {0, 0, 0, 0, 0, 5, 10, 10};
// The same by board byte for a knight of colour index c: 0 for empty squares, the border and
// its own men.
constexpr auto knight_target = [] {
    std::array<std::array<int8_t, BORDER + 1>, 2> t{};
    for (int c = 0; c < 2; ++c)
        for (int type = 0; type < 8; ++type)
            t[c][colour_bit_of_index(1 - c) | type] = KNIGHT_ATTACK_BONUS[type];
    return t;
}();

// Value of an opponent piece met as the first, second or third piece on a slider's line, by
// type; pieces of both colours count in the order, only the opponent's score.
using XrayTable = int8_t[3][8];
constexpr XrayTable BISHOP_XRAY = {
    {0, 0, 0, 5, 0, 0, 10, 5}, {0, 0, 15, 2, 0, 0, 10, 15}, {0, 0, 10, 0, 0, 0, 5, 10}};
constexpr XrayTable ROOK_XRAY = {
    {0, 0, 0, 3, 0, 3, 0, 7}, {0, 0, 15, 0, 0, 0, 0, 10}, {0, 0, 5, 0, 0, 0, 0, 5}};
// The opponent king as the first, second or third piece on a queen's line towards it.
constexpr int QUEEN_LINE[3] = {0, 15, 5};

// A rook in front of its own pawns facing the opponent's rearmost pawn of the file, by how far
// that pawn stands ahead of it (1..4 ranks); farther pawns count nothing.
constexpr int ROOK_FACING_PAWN[5] = {0, -15, -10, -5, 0};

// A knight on a trap square (White's relative squares) and its knight moves out of the corner,
// the first of which is the escape the opponent must cover.
struct KnightTrap {
    int8_t file, rank;
    int8_t count;
    int8_t moves[4][2];  // file, relative rank
};
constexpr KnightTrap QUEEN_SIDE_TRAPS[4] = {
    {1, 8, 2, {{3, 7}, {2, 6}}},
    {1, 7, 3, {{3, 8}, {2, 5}, {3, 6}}},
    {2, 8, 3, {{4, 7}, {1, 6}, {3, 6}}},
    {2, 7, 4, {{4, 8}, {1, 5}, {3, 5}, {4, 6}}},
};

// The trap entry of relative square (file, rank), a king-side square being looked up as its
// queen-side mirror image; nullptr when the square is no knight trap.
const KnightTrap* knight_trap(int file, int rank)
{
    const int f = file <= 4 ? file : 9 - file;
    for (const KnightTrap& t : QUEEN_SIDE_TRAPS)
        if (t.file == f && t.rank == rank) return &t;
    return nullptr;
}

uint8_t pawn_code(int c)
{
    return colour_bit_of_index(c) + PAWN;
}

// The x-ray tables read by board byte (colour bit + type, EMPTY 0, BORDER 32): for a slider of
// colour index c, [c][k][byte] is what the k-th piece met on a line is worth, 0 for empty squares,
// the border and the slider's own men, which still count in the order.
constexpr int BOARD_BYTES = BORDER + 1;
using XrayByByte = std::array<std::array<std::array<int8_t, BOARD_BYTES>, 3>, 2>;
constexpr XrayByByte by_byte(const XrayTable& table)
{
    XrayByByte t{};
    for (int c = 0; c < 2; ++c)
        for (int k = 0; k < 3; ++k)
            for (int type = 0; type < 8; ++type)
                t[c][k][colour_bit_of_index(1 - c) | type] = table[k][type];
    return t;
}
constexpr auto bishop_xray = by_byte(BISHOP_XRAY);
constexpr auto rook_xray = by_byte(ROOK_XRAY);

using slider_lines::empties;
using slider_lines::xray_line;

// ---- knights ------------------------------------------------------------------------------

// What a knight on q caught on a trap square stands to lose (0 or negative).
int knight_trap_value(int c, int q)
{
    const int o = 1 - c;
    const KnightTrap* trap = knight_trap(colonne[q], relative_rank(c, rangee[q]));
    if (trap == nullptr) return 0;
    if (attaques[c][q] & piece_type[c][PAWN]) return 0;
    const bool mirrored = colonne[q] > 4;
    int escape[4] = {};
    for (int i = 0; i < trap->count; ++i) {
        const int f = mirrored ? 9 - trap->moves[i][0] : trap->moves[i][0];
        escape[i] = relative_square(c, f, trap->moves[i][1]);
    }
    if (attaques[o][escape[0]] == 0) return 0;
    for (int i = 1; i < trap->count; ++i)
        if ((attaques[o][escape[i]] & piece_type[o][PAWN]) == 0) return 0;
    const uint8_t on_escape = echiquier[escape[0]];
    const int victim = (on_escape & colour_bit_of_index(o)) ? valeur_piece[type_of(on_escape)] : 0;
    const int gain = exchange_core(q, escape[0], c, victim, valeur_piece[KNIGHT]);
    return gain < 0 ? -std::min(-gain, KNIGHT_TRAP_MAX) : 0;
}

// Middle-game placement of a knight on q: its square once more, then either the hole in front
// of a weak opponent pawn or an outpost no opponent pawn can ever chase away.
template <int C>
int knight_placement(int q)
{
    constexpr int c = C, o = 1 - C, s = C == WHITE ? 1 : -1;
    const int f = colonne[q];
    const int square_value = knight_square[c][q];
    const int defenders = slot_count(attaques[c][q] & piece_type[c][PAWN]);
    int value = square_value;
    if (echiquier[q + s] == pawn_code(o) &&
        (pawn_file_flags(o, f) & (PAWN_FLAG_ISOLATED | PAWN_FLAG_WEAK | PAWN_FLAG_UNSUPPORTED)) !=
            0) {
        return value + square_value + 8 * defenders;
    }
    const int r = relative_rank(c, rangee[q]);
    if (defenders > 0 && r >= relative_pawn_rank(c, pion_moins_avance[o][f - 1]) &&
        r >= relative_pawn_rank(c, pion_moins_avance[o][f + 1])) {
        value += knight_outpost[c][q];
    }
    return value;
}

template <int C>
int one_knight(int q, bool placement, int* rim_penalty)
{
    constexpr int c = C, o = 1 - C;
    *rim_penalty += knight_rim[c][q];

    const uint8_t* board = &echiquier[q];
    const uint32_t* opponent_attacks = &attaques[o][q];
    const uint32_t opponent_pawns = piece_type[o][PAWN];
    int value = 0;
    int safe = 0;
    // Jumps off the board land on border bytes, which count as neither safe nor a target.
    for (int step : KNIGHT_STEPS) {
        const uint8_t code = board[step];
        value += knight_target[c][code];
        safe += code == EMPTY && (opponent_attacks[step] & opponent_pawns) == 0;
    }
    if (safe <= 1) value += knight_trap_value(c, q);
    value += safe == 0 ? -10 : (KNIGHT_MOBILITY[safe] * knight_square[c][q]) >> 6;
    if (placement) value += knight_placement<C>(q);
    return value;
}

// ---- bishops ------------------------------------------------------------------------------

// A bishop on its own back rank: a penalty, more when its own pawns wall it in, and a value
// loss when the squares in front of those pawns are taken too.
template <int C>
int bishop_back_rank(int q, int n, int* back_penalty)
{
    constexpr int c = C, s = C == WHITE ? 1 : -1;
    *back_penalty += 5;
    if (n != 0) return 0;
    const uint8_t own_pawn = pawn_code(c);
    const int f = colonne[q];
    if (f == 1 || f == 8) {
        const int g = f == 1 ? 2 : 7;
        if (echiquier[relative_square(c, g, 2)] != own_pawn) return 0;
        *back_penalty += 5;
        return is_occupied(echiquier[relative_square(c, g, 3)]) ? -10 : 0;
    }
    if (echiquier[q - 10 + s] != own_pawn || echiquier[q + 10 + s] != own_pawn) return 0;
    *back_penalty += 5;
    const bool blocked =
        is_occupied(echiquier[q - 10 + 2 * s]) && is_occupied(echiquier[q + 10 + 2 * s]);
    return blocked ? -10 : 0;
}

// A bishop on a7, b8, g8 or h7 (relative) with the opponent's pawns closing its way out.
bool bishop_caught(int c, int f, int r)
{
    const uint8_t opponent_pawn = pawn_code(1 - c);
    if ((f == 8 && r == 7) || (f == 7 && r == 8))
        return echiquier[relative_square(c, 6, 7)] == opponent_pawn &&
               echiquier[relative_square(c, 7, 6)] == opponent_pawn;
    if ((f == 1 && r == 7) || (f == 2 && r == 8))
        return echiquier[relative_square(c, 3, 7)] == opponent_pawn &&
               echiquier[relative_square(c, 2, 6)] == opponent_pawn;
    return false;
}

bool bishop_trap_square(int f, int r)
{
    return ((f == 1 || f == 8) && r == 7) || ((f == 2 || f == 7) && r == 8);
}

template <int C>
int one_bishop(int q, int* mobility, int* back_penalty)
{
    constexpr int c = C, s = C == WHITE ? 1 : -1;
    const uint8_t* from = &echiquier[q];
    const auto& table = bishop_xray[c];
    int n = 0;
    int value = xray_line<-9>(from, table, &n) + xray_line<11>(from, table, &n) +
                xray_line<-11>(from, table, &n) + xray_line<9>(from, table, &n);
    *mobility += n;

    const int f = colonne[q];
    const int r = relative_rank(c, rangee[q]);
    if (r == 1) {
        value += bishop_back_rank<C>(q, n, back_penalty);
    } else if (n <= 1 && bishop_trap_square(f, r)) {
        if (bishop_caught(c, f, r)) value -= BISHOP_TRAPPED;
    } else if (f == 1 || f == 8) {
        // An own pawn diagonally behind, towards the centre, shuts the bishop in on the rim.
        const int behind = f == 1 ? q + 10 - s : q - 10 - s;
        if (echiquier[behind] == pawn_code(c)) value -= 13;
    }
    return value + bishop_square[c][q];
}

// ---- rooks --------------------------------------------------------------------------------

// What every rook of colour index c reads alike, gathered once per call, and the penalty its
// rooks add (written to `penalty` once at the end).
struct RookSide {
    bool opponent_pawns;
    int base;       // see opponent_pawn_base; 0 until a rook needs it
    int king_rank;  // the opponent king's relative rank
    int penalty;
};

template <int C>
RookSide rook_side()
{
    constexpr int c = C, o = 1 - C;
    return {nombre_pions[o] > 0, 0, relative_rank(c, rangee[king_square(o)]), 0};
}

// The most advanced relative rank among the opponent's rearmost pawns of all files (0 if none).
// A file's rearmost opponent pawn is its most advanced one from our side, so the base is the
// most advanced relative rank of any opponent pawn: one pass over the pawn slots, which also
// keeps the compiler from loading all eight file entries up front on every call.
template <int C>
int opponent_pawn_base()
{
    constexpr int c = C, o = 1 - C;
    int base = 0;
    uint32_t pawns = piece_type[o][PAWN] & SLOT_BITS;
    while (pawns != 0) {
        const int k = lowest_bit[pawns];
        pawns ^= ficha[o][k].mask;
        base = std::max(base, relative_rank(c, rangee[ficha[o][k].square]));
    }
    return base;
}

// A rook on a relative rank at or beyond the opponent's pawn base, while the opponent has pawns.
// Pawns stand on relative ranks 2 to 7, so a rook on its first rank is always behind the base,
// and the base is looked up only for a rook off that rank, once per call.
template <int C>
int rook_rank_terms(RookSide& side, int r)
{
    if (r == 1) return 0;
    if (side.base == 0) side.base = opponent_pawn_base<C>();
    if (r == side.base) return side.king_rank > r ? 13 + 8 : 13;
    if (r > side.base) return side.king_rank > r ? 7 + 16 : 7;
    return 0;
}

// Own rooks of slots above k standing on file f.
int later_rooks_on_file(int c, int k, int f)
{
    uint32_t later = piece_type[c][ROOK] & ~((2u << k) - 1);
    int count = 0;
    while (later != 0) {
        const int j = lowest_bit[later & SLOT_BITS];
        later ^= ficha[c][j].mask;
        if (colonne[ficha[c][j].square] == f) ++count;
    }
    return count;
}

// A rook on file f where its own pawns stand.
template <int C>
int rook_closed_file(RookSide& side, int f, int r)
{
    constexpr int c = C, o = 1 - C;
    const int front_pawn = relative_pawn_rank(c, pion_plus_avance[c][f]);
    if (r < front_pawn) {
        side.penalty += 10;
        return (pawn_file_flags(c, f) & PAWN_FLAG_PASSED) ? 15 : 0;
    }
    if (pions_colonne[o][f] == 0) return 10;
    const int d = r - relative_pawn_rank(c, pion_moins_avance[o][f]);
    if (d >= 1) return 10;
    return d >= -4 ? ROOK_FACING_PAWN[-d] : 0;
}

// The squares rook_boxed looks at for colour index c: relative a1, b1, g1, h1, a2, b2, g2, h2,
// a3 and h3; one table test spares its case analysis on every other square.
constexpr auto rook_trap_square = [] {
    std::array<std::array<bool, BOARD_SIZE>, 2> t{};
    constexpr int squares[][2] = {{1, 1}, {2, 1}, {7, 1}, {8, 1}, {1, 2},
                                  {2, 2}, {7, 2}, {8, 2}, {1, 3}, {8, 3}};
    for (int c = 0; c < 2; ++c)
        for (const auto& fr : squares) t[c][relative_square(c, fr[0], fr[1])] = true;
    return t;
}();

// A rook on one of its trap squares shut in by its own king or pawns.
template <int C>
bool rook_boxed(int q, int f, int r)
{
    constexpr int c = C;
    const int king = king_square(c);
    const uint8_t own_pawn = pawn_code(c);
    const int32_t* pawns_on = pions_colonne[c];
    const auto king_on = [&](int kf) { return king == relative_square(c, kf, 1); };
    if (r == 1) {
        switch (f) {
            case 1:
                return king_on(2) || (king_on(3) && pawns_on[2] > 0);
            case 2:
                return king_on(3) && pawns_on[1] > 0;
            case 7:
                return king_on(6) && pawns_on[8] > 0;
            case 8:
                return king_on(7) || (king_on(6) && pawns_on[7] > 0);
            default:
                return false;
        }
    }
    if (f == 1 && (r == 2 || r == 3))
        return echiquier[q + 10] == own_pawn || (pawns_on[2] > 0 && echiquier[q + 20] == own_pawn);
    if (f == 2 && r == 2) return echiquier[q + 10] == own_pawn && pawns_on[1] > 0;
    if (f == 7 && r == 2) return echiquier[q - 10] == own_pawn && pawns_on[8] > 0;
    if (f == 8 && (r == 2 || r == 3))
        return echiquier[q - 10] == own_pawn || (pawns_on[7] > 0 && echiquier[q - 20] == own_pawn);
    return false;
}

template <int C>
int one_rook(RookSide& side, int k, int* mobility)
{
    constexpr int c = C, o = 1 - C;
    const int q = static_cast<int>(ficha[c][k].square);
    const int f = colonne[q];
    const int r = relative_rank(c, rangee[q]);

    const uint8_t* from = &echiquier[q];
    const auto& table = rook_xray[c];
    int n = 0;
    int value = xray_line<1>(from, table, &n) + xray_line<-1>(from, table, &n) +
                xray_line<10>(from, table, &n) + xray_line<-10>(from, table, &n);
    *mobility += n;

    if (side.opponent_pawns) {
        value += rook_rank_terms<C>(side, r);
        if (pawn_file_flags(o, f) & PAWN_FLAG_PASSED) value += 7;
    }
    if (pions_colonne[c][f] == 0) {
        const int doubled = later_rooks_on_file(c, k, f);
        return value + (pions_colonne[o][f] == 0 ? 10 + 20 * doubled : 5 + 10 * doubled);
    }
    value += rook_closed_file<C>(side, f, r);
    if (n <= 5 && rook_trap_square[c][q] && rook_boxed<C>(q, f, r)) value -= 30 - 5 * n;
    return value;
}

// The pieces of colour index C, each kind in turn: the colour a template constant, so that its
// relative ranks and tables are folded in; penalties and mobility are summed locally.
template <int C>
int knights_of(bool placement)
{
    int value = 0, rim_penalty = 0;
    uint32_t knights = piece_type[C][KNIGHT];
    while (knights != 0) {
        const int k = lowest_bit[knights & SLOT_BITS];
        knights ^= ficha[C][k].mask;
        value += one_knight<C>(static_cast<int>(ficha[C][k].square), placement, &rim_penalty);
    }
    penalty[C] += rim_penalty;
    return value;
}

template <int C>
int bishops_of()
{
    int value = 0, mobility = 0, back_penalty = 0;
    uint32_t bishops = piece_type[C][BISHOP];
    while (bishops != 0) {
        const int k = lowest_bit[bishops & SLOT_BITS];
        bishops ^= ficha[C][k].mask;
        value += one_bishop<C>(static_cast<int>(ficha[C][k].square), &mobility, &back_penalty);
    }
    mobility_total += BISHOP_MOBILITY_WEIGHT * mobility;
    penalty[C] += back_penalty;
    return value;
}

template <int C>
int rooks_of()
{
    RookSide side = rook_side<C>();
    int value = 0, mobility = 0;
    uint32_t rooks = piece_type[C][ROOK];
    while (rooks != 0) {
        const int k = lowest_bit[rooks & SLOT_BITS];
        rooks ^= ficha[C][k].mask;
        value += one_rook<C>(side, k, &mobility);
    }
    mobility_total += ROOK_MOBILITY_WEIGHT * mobility;
    penalty[C] += side.penalty;
    return value;
}

template <int C>
int queens_of()
{
    constexpr int c = C;
    const int king = king_square(1 - c);
    int value = 0, mobility = 0;
    uint32_t queens = piece_type[c][QUEEN];
    while (queens != 0) {
        const int k = lowest_bit[queens & SLOT_BITS];
        queens ^= ficha[c][k].mask;
        const int q = static_cast<int>(ficha[c][k].square);

        const int d = direction[q * 100 + king];
        if (d != 0) {
            int sq = q;
            for (int i = 0; i < 3; ++i) {
                do sq += d;
                while (echiquier[sq] == EMPTY);
                if (sq == king) {
                    value += QUEEN_LINE[i];
                    break;
                }
                if (echiquier[sq] == BORDER || type_of(echiquier[sq]) == PAWN) break;
            }
        }
        const uint8_t* from = &echiquier[q];
        const int n = empties<1>(from) + empties<-1>(from) + empties<10>(from) +
                      empties<-10>(from) + empties<-9>(from) + empties<11>(from) +
                      empties<-11>(from) + empties<9>(from);
        mobility += n;
        value += queen_square[c][q];
    }
    mobility_total += QUEEN_MOBILITY_WEIGHT * mobility;
    return value;
}

// Every piece of colour C, kind after kind, in one call.
template <int C>
int pieces_of(bool placement)
{
    int value = 0;
    if (piece_type[C][KNIGHT] != 0) value += knights_of<C>(placement);
    if (piece_type[C][BISHOP] != 0) value += bishops_of<C>();
    if (piece_type[C][ROOK] != 0) value += rooks_of<C>();
    if (piece_type[C][QUEEN] != 0) value += queens_of<C>();
    return value;
}

}  // namespace

int piece_terms(int s, bool placement)
{
    return s > 0 ? pieces_of<WHITE>(placement) : pieces_of<BLACK>(placement);
}

int knight_terms(int s)
{
    return knight_terms(s, middle_game(material_phase(WHITE) + material_phase(BLACK)));
}

int knight_terms(int s, bool placement)
{
    return s > 0 ? knights_of<WHITE>(placement) : knights_of<BLACK>(placement);
}

int bishop_terms(int s)
{
    return s > 0 ? bishops_of<WHITE>() : bishops_of<BLACK>();
}

int rook_terms(int s)
{
    return s > 0 ? rooks_of<WHITE>() : rooks_of<BLACK>();
}

int queen_terms(int s)
{
    return s > 0 ? queens_of<WHITE>() : queens_of<BLACK>();
}
