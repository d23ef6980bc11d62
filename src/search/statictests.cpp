// Static tests of the search: they read `attaques`, the piece list and the move stack and never
// make a move, so the position record is untouched; only the queen-mate counters and (for
// drop_big_captures) the given range of the move stack are written.
#include "search/statictests.h"

#include "core/board.h"
#include "core/tables.h"
#include "movegen/movegen.h"
#include "platform/thread_state.h"

QV_THREAD_STATE uint32_t queen_mate_tries, queen_mate_found;

namespace {

constexpr int CHEAPEST_FIRST[5] = {PAWN, KNIGHT, BISHOP, ROOK, QUEEN};

// The value of the cheapest piece in the attacker set of colour c (the king counts 10000); a
// value above any piece when the set is empty.
int cheapest_attacker_value(int c, uint32_t set)
{
    for (int type : CHEAPEST_FIRST)
        if (set & piece_type[c][type]) return valeur_piece[type];
    return (set & SLOT_BITS) ? valeur_piece[KING] : valeur_piece[KING] + 1;
}

// Some piece of type `type` of colour c is attacked by o and either undefended or attacked by
// an o-piece worth at most `limit`.
bool attacked_by_cheaper(int c, int type, int limit)
{
    const int o = 1 - c;
    for (uint32_t m = piece_type[c][type]; m; m &= m - 1) {
        const int sq = static_cast<int>(ficha[c][lowest_bit[m]].square);
        const uint32_t by = attaques[o][sq] & SLOT_BITS;
        if (by == 0) continue;
        if ((attaques[c][sq] & SLOT_BITS) == 0 || cheapest_attacker_value(o, by) <= limit)
            return true;
    }
    return false;
}

// Some piece of type `type` of colour c is attacked and undefended, or (when pawn_counts) is
// attacked by an enemy pawn.
bool attacked_minor(int c, int type, bool pawn_counts)
{
    const int o = 1 - c;
    for (uint32_t m = piece_type[c][type]; m; m &= m - 1) {
        const int sq = static_cast<int>(ficha[c][lowest_bit[m]].square);
        const uint32_t by = attaques[o][sq] & SLOT_BITS;
        if (by == 0) continue;
        if ((attaques[c][sq] & SLOT_BITS) == 0) return true;
        if (pawn_counts && (by & piece_type[o][PAWN])) return true;
    }
    return false;
}

// The neighbour bit of a step between adjacent or aligned squares (0 for no direction).
constexpr auto direction_bit = [] {
    std::array<uint8_t, 23> bits{};
    for (int i = 0; i < 8; ++i) bits[NEIGHBOUR_STEPS[i] + 11] = NEIGHBOUR_BITS[i];
    return bits;
}();

uint8_t bit_of_direction(int from, int to)
{
    return direction_bit[direction[from * 100 + to] + 11];
}

// OR of the direction bits from each slider of colour c that attacks q towards q.
uint8_t slider_lines_onto(int c, int q)
{
    uint8_t lines = 0;
    for (uint32_t m = attaques[c][q] & pieces_glissantes_mask[c] & SLOT_BITS; m; m &= m - 1)
        lines |= bit_of_direction(static_cast<int>(ficha[c][lowest_bit[m]].square), q);
    return lines;
}

}  // namespace

bool piece_threat(int side, int margin)
{
    const int c = colour_index(side);
    const int m = margin;
    if (m > 950) return false;
    if (pieces_glissantes_mask[c]) {
        if (attacked_by_cheaper(c, QUEEN, 950 - m)) return true;
        if (m > 500) return false;
        if (attacked_by_cheaper(c, ROOK, 500 - m)) return true;
        if (m > 330) return false;
        if (attacked_minor(c, BISHOP, m <= 230)) return true;
    }
    if (m > 320) return false;
    if (attacked_minor(c, KNIGHT, m <= 220)) return true;
    if (m > 100) return false;
    return attacked_minor(c, PAWN, false);
}

bool enough_safe_moves(int height, int margin)
{
    const int o = 1 - colour_index(trait);
    uint32_t movers = 0;
    int count = 0;
    for (int i = ply_start[height]; i < ply_start[height + 1]; ++i) {
        const Move mv = move_stack[i].move;
        int gain = valeur_piece[move_captured(mv)];
        if (attaques[o][move_to(mv)] & SLOT_BITS) gain -= valeur_piece[move_piece(mv)];
        if (gain < margin) continue;
        ++count;
        movers |= case_ficha[move_from(mv)]->mask;
    }
    return bit_count[movers & SLOT_BITS] >= 2 && count >= 8;
}

bool queen_contact_mate(int side)
{
    const int c = colour_index(side), o = 1 - c;
    const uint32_t queens = piece_type[c][QUEEN] & SLOT_BITS;
    if (queens == 0) return false;
    ++queen_mate_tries;
    const Ficha& queen = ficha[c][lowest_bit[queens]];
    const int q = static_cast<int>(queen.square);
    const uint32_t qm = queen.mask;
    const uint8_t enemy_lines = slider_lines_onto(o, q);
    const uint8_t own_lines = slider_lines_onto(c, q);

    const int own_king = king_square(c);
    if ((attaques[c][own_king] & qm) && (bit_of_direction(q, own_king) & enemy_lines)) return false;

    const int k = king_square(o);
    const uint8_t enemy_bit = colour_bit_of_index(o), own_bit = colour_bit_of_index(c);
    uint8_t closed = 0, mate = 0;
    for (int i = 0; i < 8; ++i) {
        const int n = k + NEIGHBOUR_STEPS[i];
        const uint8_t bit = NEIGHBOUR_BITS[i];
        if (is_border(echiquier[n])) {
            closed |= bit;
            continue;
        }
        const uint32_t a = attaques[c][n] & SLOT_BITS;
        const bool free = !(echiquier[n] & own_bit) && (attaques[o][n] & SLOT_BITS) == 1;
        const uint8_t d = bit_of_direction(q, n);
        const bool enemy_on_n = (echiquier[n] & enemy_bit) != 0;
        if (a & ~qm) {
            closed |= bit;
            if ((a & qm) && free && !(d & enemy_lines)) mate |= bit;
        } else if (a & qm) {
            if (free && (d & own_lines)) {
                closed |= bit;
                mate |= bit;
            } else if (enemy_on_n) {
                closed |= bit;
            }
        } else if (enemy_on_n) {
            closed |= bit;
        }
    }
    const bool found = (flight_table[closed] & mate) != 0;
    if (found) ++queen_mate_found;
    return found;
}

int drop_big_captures(int first, int last, int threshold)
{
    int end = last;
    for (int i = first; i < end;) {
        const int victim = move_captured(move_stack[i].move);
        if (victim != NO_TYPE && valeur_piece[victim] >= threshold)
            move_stack[i] = move_stack[--end];
        else
            ++i;
    }
    return end;
}
