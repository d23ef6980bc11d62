// Pawn structure through the pawn cache. A cell holds the structure value and the per-file flags
// of one pawn configuration, and its placement value only once a middle game has asked for it
// (PLACEMENT_UNKNOWN until then). `pawn_flags` always points into the cell evaluated last.
#include "eval/pawns.h"

#include <array>
#include <cstdlib>

#include "caches/caches.h"
#include "core/board.h"
#include "core/material.h"
#include "core/tables.h"
#include "platform/thread_state.h"

namespace {
uint8_t no_flags[2][8];  // what the references show before the first evaluation
}

QV_THREAD_STATE const uint8_t* pawn_flags[2] = {no_flags[BLACK], no_flags[WHITE]};
QV_THREAD_STATE uint32_t pawn_probes, pawn_hits;

namespace {

// Advancement weight by file a..h.
constexpr int ADVANCE_WEIGHT[10] = {0, 4, 6, 10, 14, 14, 10, 6, 4, 0};
constexpr int DOUBLED_PENALTY = 35;
constexpr int ISOLATED_PENALTY = 25;
constexpr int UNSUPPORTED_PENALTY = 3;
constexpr int GAP_ALLOWANCE = 5;

// Placement bonuses from White's view by file a..h and rank 1..8: the square bonus, and the
// chain bonuses for an own pawn on the next file one rank behind, beside and one rank ahead.
struct Chain {
    int behind, beside, ahead;
};
constexpr int CENTRE_ROWS[8][8] = {
    {},
    {},
    {0, 4, 4, 8, 8, 6, 0, 0},
    {0, 6, 8, 12, 14, 14, 0, 0},
    {0, 6, 8, 12, 14, 14, 0, 0},
    {0, 4, 4, 8, 8, 6, 0, 0},
    {},
    {},
};
constexpr Chain CHAIN_ROWS[8][8] = {
    {},
    {{}, {0, 4, 4}, {0, 4, 6}, {0, 10, 10}, {0, 10, 5}, {0, 5, 0}, {0, 5, 0}, {}},
    {{}, {0, 5, 5}, {4, 8, 8}, {6, 12, 10}, {6, 14, 10}, {8, 16, 14}, {14, 14, 0}, {}},
    {{}, {0, 6, 6}, {6, 10, 8}, {8, 14, 8}, {8, 16, 12}, {12, 20, 20}, {20, 20, 0}, {}},
    {{}, {0, 6, 4}, {6, 10, 6}, {8, 14, 6}, {8, 14, 10}, {10, 16, 16}, {16, 16, 0}, {}},
    {{}, {0, 4, 0}, {4, 4, 0}, {6, 10, 0}, {10, 10, 0}, {5, 5, 0}, {5, 5, 0}, {}},
    {},
    {},
};

// The same tables spread over the mailbox squares below 100 for each colour index (0 off the
// board): Black reads White's tables on the mirrored square (same file, ranks counted from the
// other side), and its chain bonuses one rank lower and one rank higher trade places, so both
// colours look up [c][square] alike.
struct PlacementCell {
    int square;
    int lower, beside, higher;  // for an own pawn on q + 9, q + 10 and q + 11
};
constexpr auto PLACEMENT = [] {
    std::array<std::array<PlacementCell, 100>, 2> a{};
    for (int c = 0; c < 2; ++c)
        for (int sq = 0; sq < 100; ++sq) {
            if (!on_board(sq)) continue;
            const int file = colonne[sq] - 1;
            const int rank = c == WHITE ? rangee[sq] - 1 : 8 - rangee[sq];
            const Chain& chain = CHAIN_ROWS[file][rank];
            a[c][sq] = {CENTRE_ROWS[file][rank], c == WHITE ? chain.behind : chain.ahead,
                        chain.beside, c == WHITE ? chain.ahead : chain.behind};
        }
    return a;
}();

// Rank a lies strictly ahead of rank r for pawns of colour index c.
bool ahead(int c, int a, int r)
{
    return c == WHITE ? a > r : a < r;
}

bool at_or_ahead(int c, int a, int r)
{
    return a == r || ahead(c, a, r);
}

int pawn_attackers(int c, int sq)
{
    return bit_count[attaques[c][sq] & piece_type[c][PAWN] & SLOT_BITS];
}

// Walks up the file of a backward-looking pawn on sq until the first square the enemy pawns
// contest or the own pawns cover; the pawn is weak when the enemy pawns win that square.
// Returns the penalty (0 when not weak).
int weak_pawn_penalty(int c, int sq)
{
    const int o = 1 - c;
    const int fwd = c == WHITE ? 1 : -1;
    const uint8_t enemy_pawn = colour_bit_of_index(o) | PAWN;
    // Walking along the file, the first square off the board holds the border byte.
    for (int s = sq + fwd; echiquier[s] != BORDER && echiquier[s] != enemy_pawn; s += fwd) {
        const int enemies = pawn_attackers(o, s);
        const int friends = pawn_attackers(c, s);
        if (enemies > 0) {
            if (enemies <= friends) return 0;
            return 5 * (c == WHITE ? 7 - rangee[s] : rangee[s] - 2);
        }
        if (friends > 0) return 0;
    }
    return 0;
}

// The structure score of colour index c, good for c; fills flags[file - 1] for its files.
int side_structure(int c, uint8_t flags[8])
{
    const int o = 1 - c;
    int penalty = 0, adv = 0, gap = 0;
    // Only the front pawn speaks for its file: one look per file that has pawns.
    for (int f = 1; f <= 8; ++f) {
        const int on_file = pions_colonne[c][f];
        if (on_file == 0) continue;
        const int r = pion_plus_avance[c][f];
        const int sq = square_of(f, r);

        uint8_t fl = 0;
        if (on_file > 1) {
            penalty += DOUBLED_PENALTY * (on_file - 1);
            fl |= PAWN_FLAG_DOUBLED;
        }
        if (pions_colonne[c][f - 1] == 0 && pions_colonne[c][f + 1] == 0) {
            penalty += ISOLATED_PENALTY;
            fl |= PAWN_FLAG_ISOLATED;
        } else if (ahead(c, pion_moins_avance[c][f - 1], r) &&
                   ahead(c, pion_moins_avance[c][f + 1], r)) {
            penalty += UNSUPPORTED_PENALTY;
            fl |= PAWN_FLAG_UNSUPPORTED;
        }
        const int relative = c == WHITE ? r : 9 - r;
        adv += ADVANCE_WEIGHT[f] * (relative - 1);
        if (pions_colonne[c][f + 1] > 0) gap += std::abs(r - pion_plus_avance[c][f + 1]);

        // The enemy's rearmost pawn of a file is the one nearest to our side of the board.
        const bool passed = !ahead(c, pion_moins_avance[o][f - 1], r) &&
                            !ahead(c, pion_moins_avance[o][f + 1], r) &&
                            !at_or_ahead(c, pion_moins_avance[o][f], r);
        if (passed) {
            fl |= PAWN_FLAG_PASSED;
        } else if (!(fl & PAWN_FLAG_ISOLATED) && relative >= 2 && relative <= 5 &&
                   !ahead(c, r, pion_moins_avance[c][f - 1]) &&
                   !ahead(c, r, pion_moins_avance[c][f + 1])) {
            const int next = c == WHITE ? r + 1 : r - 1;
            if (ahead(c, pion_moins_avance[o][f - 1], next) ||
                ahead(c, pion_moins_avance[o][f + 1], next)) {
                const int weak = weak_pawn_penalty(c, sq);
                if (weak > 0) {
                    penalty += weak;
                    fl |= PAWN_FLAG_WEAK;
                }
            }
        }
        flags[f - 1] = fl;
    }
    int score = adv / 5 - scaled_pawn_penalty(penalty);
    if (gap > GAP_ALLOWANCE) score -= 2 * (gap - GAP_ALLOWANCE);
    return score;
}

// The placement of one colour's pawns, good for that colour: square bonuses plus chain bonuses
// towards the next file.
int side_placement(int c)
{
    const uint8_t own_pawn = colour_bit_of_index(c) | PAWN;
    int v = 0;
    uint32_t pawns = piece_type[c][PAWN] & SLOT_BITS;
    while (pawns != 0) {
        const int k = lowest_bit[pawns];
        pawns ^= ficha[c][k].mask;
        const int q = static_cast<int>(ficha[c][k].square);
        const PlacementCell& cell = PLACEMENT[c][q];
        v += cell.square;
        // q + 9 is one rank lower on the next file, q + 11 one rank higher.
        if (echiquier[q + 9] == own_pawn) v += cell.lower;
        if (echiquier[q + 10] == own_pawn) v += cell.beside;
        if (echiquier[q + 11] == own_pawn) v += cell.higher;
    }
    return v;
}

}  // namespace

int scaled_pawn_penalty(int penalty)
{
    return penalty <= 100 ? penalty - penalty * penalty / 334 : 2 * penalty / 5 + 30;
}

int pawn_structure_value(uint8_t cell_flags[2][8])
{
    for (int c = 0; c < 2; ++c)
        for (int f = 0; f < 8; ++f) cell_flags[c][f] = 0;
    const int white = side_structure(WHITE, cell_flags[WHITE]);
    const int black = side_structure(BLACK, cell_flags[BLACK]);
    return white - black;
}

int pawn_placement_value()
{
    return side_placement(WHITE) - side_placement(BLACK);
}

namespace {

// The two fills of a cell. Each names the cell again after its call instead of keeping the
// pointer across it, so that the cache-hit path of evaluation_pions holds no value across a call
// and runs without saving registers.
PawnCell* fill_structure()
{
    const int structure = pawn_structure_value(pawn_cell(pos()->pawn_key)->flags);
    const Key96& key = pos()->pawn_key;
    PawnCell* cell = pawn_cell(key);
    cell->structure = static_cast<int16_t>(structure);
    cell->placement = PLACEMENT_UNKNOWN;
    cell->key1 = key.w[0];
    cell->key2 = key.w[1];
    return cell;
}

int fill_placement()
{
    const int placement = pawn_placement_value();
    PawnCell* cell = pawn_cell(pos()->pawn_key);
    cell->placement = static_cast<int16_t>(placement);
    return cell->structure + placement;
}

}  // namespace

int evaluation_pions()
{
    ++pawn_probes;
    const Key96& key = pos()->pawn_key;
    PawnCell* cell = pawn_cell(key);
    pawn_flags[BLACK] = cell->flags[BLACK];
    pawn_flags[WHITE] = cell->flags[WHITE];
    if (cell->key1 == key.w[0] && cell->key2 == key.w[1])
        ++pawn_hits;
    else
        cell = fill_structure();

    // Every piece adds at least 1 to its colour's phase: more than 6 pieces settle the phase
    // test without counting rooks and queens.
    const bool phases_above_6 = nombre_pieces[WHITE] + nombre_pieces[BLACK] > 6 ||
                                material_phase(WHITE) + material_phase(BLACK) > 6;
    const bool middle_game = phases_above_6 && nombre_pions[WHITE] > 4 && nombre_pions[BLACK] > 4;
    if (!middle_game) return cell->structure;
    if (cell->placement == PLACEMENT_UNKNOWN) return fill_placement();
    return cell->structure + cell->placement;
}
