// The evaluation driver: special endings, the lazy exits (never stored), the evaluation cache and
// the full sum of the terms from White's view, turned to the side to move's view at the end.
// Term routines are called in a fixed order; pawn flags are always published first.
#include "eval/evaluation.h"

#include <algorithm>
#include <array>

#include "core/material.h"
#include "eval/endgame.h"
#include "eval/kingsafety.h"
#include "eval/pawns.h"
#include "eval/pieces.h"
#include "platform/thread_state.h"

QV_THREAD_STATE uint32_t eval_probes, eval_hits;

namespace {

// On-board king neighbours of each square: 3 in a corner, 5 on an edge, 8 inside.
constexpr auto NEIGHBOURS = [] {
    std::array<uint8_t, BOARD_SIZE> t{};
    for (int sq = 0; sq < BOARD_SIZE; ++sq)
        if (on_board(sq))
            for (int step : KING_STEPS) t[sq] += on_board(sq + step) ? 1 : 0;
    return t;
}();

// Squares where a bishop of the colour index is shut in by enemy pawns.
constexpr int TRAPPED_BISHOP[2][4] = {{SQ_A2, SQ_B1, SQ_G1, SQ_H2}, {SQ_A7, SQ_B8, SQ_G8, SQ_H7}};

// A knight of the colour index in an enemy corner, and the square it must escape through.
struct CornerKnight {
    int square, escape;
};
constexpr CornerKnight TRAPPED_KNIGHT[2][8] = {{{SQ_A1, SQ_C2},
                                                {SQ_A2, SQ_C1},
                                                {SQ_B1, SQ_D2},
                                                {SQ_B2, SQ_D1},
                                                {SQ_H1, SQ_F2},
                                                {SQ_H2, SQ_F1},
                                                {SQ_G1, SQ_E2},
                                                {SQ_G2, SQ_E1}},
                                               {{SQ_A8, SQ_C7},
                                                {SQ_A7, SQ_C8},
                                                {SQ_B8, SQ_D7},
                                                {SQ_B7, SQ_D8},
                                                {SQ_H8, SQ_F7},
                                                {SQ_H7, SQ_F8},
                                                {SQ_G8, SQ_E7},
                                                {SQ_G7, SQ_E8}}};

constexpr int TRAPPED_BISHOP_COST = 200;
constexpr int TRAPPED_KNIGHT_COST = 175;
// What an enemy passed pawn may cost, by its relative rank 5, 6, 7; 800 with no own piece.
constexpr int PASSED_THREAT[9] = {0, 0, 0, 0, 0, 200, 400, 800, 0};
constexpr int PASSED_THREAT_NO_PIECES = 800;

template <int C>
int passed_pawn_threats()
{
    constexpr int c = C, o = 1 - C;
    int cost = 0;
    for (uint64_t bits = passed_pawn_bits(o); bits != 0; bits &= bits - 1) {
        const int file = lowest_passed_file(bits);
        if (nombre_pieces[c] == 0) {
            cost += PASSED_THREAT_NO_PIECES;
            continue;
        }
        const int rank = pion_plus_avance[o][file];
        cost += PASSED_THREAT[o == WHITE ? rank : 9 - rank];
    }
    return cost;
}

template <int C>
int trapped_pieces()
{
    constexpr int c = C, o = 1 - C;
    constexpr uint8_t bishop = colour_bit_of_index(c) | BISHOP,
                      knight = colour_bit_of_index(c) | KNIGHT;
    // The squares are looked at only while the colour has a piece of the kind.
    int cost = 0;
    if (piece_type[c][BISHOP] != 0)
        for (int sq : TRAPPED_BISHOP[c])
            if (echiquier[sq] == bishop) cost += TRAPPED_BISHOP_COST;
    if (piece_type[c][KNIGHT] != 0)
        for (const CornerKnight& t : TRAPPED_KNIGHT[c])
            if (echiquier[t.square] == knight && attaques[o][t.escape] != 0)
                cost += TRAPPED_KNIGHT_COST;
    return cost;
}

// Enemy pressure on the squares around colour C's king. Attack words of border squares are
// not cleared by the walks that write them, so they are read as 0 here.
template <int C>
int king_exposure()
{
    constexpr int o = 1 - C;
    const int k = king_square(C);
    const uint8_t* board = &echiquier[k];
    const uint32_t* enemy_attacks = &attaques[o][k];
    int attacked = 0;
    uint32_t attackers = 0;
    for (int step : KING_STEPS) {
        const uint32_t a = board[step] == BORDER ? 0 : enemy_attacks[step];
        attacked += a != 0;
        attackers |= a;
    }
    if (attacked == 0) return 0;
    int flights = 0;
    for (int step : KING_STEPS) flights += board[step] == EMPTY && enemy_attacks[step] == 0;
    int cost = 10 * slot_count(attackers) * attacked;
    if (attacked == NEIGHBOURS[k]) cost += 100;
    if (flights == 0) cost += 50;
    return cost;
}

template <int C>
int lazy_bound_of()
{
    return -LAZY_MARGIN - passed_pawn_threats<C>() - trapped_pieces<C>() - king_exposure<C>();
}

// Colour s's passed pawns: against pieces, or racing a side that has none.
int passed_pawn_terms(int s, int opponent_phase)
{
    if (!any_passed_pawn(colour_index(s))) return 0;
    return opponent_phase > 0 ? passed_pawns_with_pieces(s) : passed_pawns_no_pieces(s);
}

// A pawn of the colour on `pawn` kept back by a man of its own colour on `block`.
bool blocked_centre_pawn(int c, int pawn, int block)
{
    const uint8_t bit = colour_bit_of_index(c);
    return echiquier[pawn] == (bit | PAWN) && (echiquier[block] & bit) != 0;
}

// Drive, centre and tempo terms by the men left on the board; middle is middle_game(phases).
int phase_terms(int white_phase, int black_phase, bool middle)
{
    const int phases = white_phase + black_phase;
    int v = 0;
    if (!middle) {
        if (white_phase > 0)
            v += endgame_drive(1) * white_phase /
                 (nombre_pieces[BLACK] + nombre_pions[BLACK] + phases + 1);
        if (black_phase > 0)
            v -= endgame_drive(-1) * black_phase /
                 (nombre_pieces[WHITE] + nombre_pions[WHITE] + phases + 1);
    } else if (white_phase > 4 && black_phase > 4) {
        if (blocked_centre_pawn(WHITE, SQ_D2, SQ_D3)) v -= 10;
        if (blocked_centre_pawn(WHITE, SQ_E2, SQ_E3)) v -= 10;
        if (blocked_centre_pawn(BLACK, SQ_D7, SQ_D6)) v += 10;
        if (blocked_centre_pawn(BLACK, SQ_E7, SQ_E6)) v += 10;
        v += 5 * trait;
    }
    return v;
}

// Colour s's piece terms; its mobility total goes to *mobility.
int colour_piece_terms(int s, bool placement, int* mobility)
{
    mobility_total = 0;
    const int v = piece_terms(s, placement);
    *mobility = mobility_total;
    return v;
}

// Tenths of a point to points, rounding half away from zero.
int mobility_points(int tenths)
{
    return tenths > 0 ? (tenths + 5) / 10 : (tenths - 5) / 10;
}

// Everything after the cache probe, from White's view; s0 is material plus pawns for the side to
// move.
int full_sum(int s0)
{
    const int white_phase = material_phase(WHITE), black_phase = material_phase(BLACK);
    int v = trait * s0;
    if (white_phase == 0 && black_phase == 0)
        return v + endgame_king_activity(1) - endgame_king_activity(-1) + pawn_ending_term();

    v += king_terms(1, black_phase) - king_terms(-1, white_phase);
    v += passed_pawn_terms(1, black_phase) - passed_pawn_terms(-1, white_phase);
    const bool placement = middle_game(white_phase + black_phase);
    v += phase_terms(white_phase, black_phase, placement);

    penalty[BLACK] = penalty[WHITE] = 0;
    int white_mobility = 0, black_mobility = 0;
    if (white_phase > 0) v += colour_piece_terms(1, placement, &white_mobility);
    if (black_phase > 0) v -= colour_piece_terms(-1, placement, &black_mobility);
    v += mobility_points(white_mobility - black_mobility);
    return v + penalty[BLACK] - penalty[WHITE];
}

}  // namespace

int king_terms(int s, int opponent_phase)
{
    if (opponent_phase >= 8) return securite_roi(s);
    const int endgame = endgame_king_shelter(s) + endgame_king_activity(s);
    if (opponent_phase <= 4) return endgame;
    return securite_roi(s) + endgame * (8 - opponent_phase) / 4;
}

int lazy_bound(int s)
{
    return s > 0 ? lazy_bound_of<WHITE>() : lazy_bound_of<BLACK>();
}

int endgame_king_shelter(int s)
{
    const int c = colour_index(s), o = 1 - c;
    const int k = king_square(c), f = colonne[k], r = rangee[k];
    const uint8_t pawn = colour_bit(s) | PAWN;
    int v = 0;
    // Squares beside the king with no own pawn on them, each worth 5 to the enemy.
    auto open = [&](bool looked_at, int step) {
        if (looked_at && echiquier[k + step] != pawn) v -= 5;
    };
    if ((piece_type[o][ROOK] | piece_type[o][QUEEN]) != 0) {
        open(f >= 4, -10);
        open(f < 6, 10);
        open(r >= 4, -1);
        open(r < 6, 1);
    }
    if (piece_type[o][QUEEN] != 0 || cf[o][couleur_case[k]] != 0) {
        open(std::max(r, f) > 3 && f > 1 && r > 1, -11);
        open(std::min(r, f) < 6 && f < 8 && r < 8, 11);
        open(std::max(9 - r, f) > 3 && f > 1 && r < 8, -9);
        open(std::max(r, 9 - f) >= 4 && f <= 7 && r >= 2, 9);
    }
    return v;
}

int evaluation(int alpha, int beta)
{
    int special;
    if (special_ending(&special)) return special;

    const int s0 = pos()->score_materiel + trait * evaluation_pions();
    if (s0 >= beta + LAZY_MARGIN) {
        const int s1 = s0 + lazy_bound(trait);
        if (s1 >= beta) return s1;
    } else if (s0 + LAZY_MARGIN <= alpha) {
        const int s1 = s0 - lazy_bound(-trait);
        if (s1 <= alpha) return s1;
    }

    EvalCell* cell = eval_cell();
    const Key96& key = pos()->hash_key;
    ++eval_probes;
    if (cell->key1 == key.w[0] && cell->key2 == key.w[1]) {
        ++eval_hits;
        return cell->value;
    }

    const int result = trait * full_sum(s0);
    cell->key1 = key.w[0];
    cell->key2 = key.w[1];
    cell->value = static_cast<int16_t>(result);
    return result;
}
