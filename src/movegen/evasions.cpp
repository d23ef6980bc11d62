// The evasion generator for a side in check: king steps (already legal), then, in single check,
// captures of the checker, interpositions on a sliding checker's line and en passant. Bit 16 of
// `attaques` serves as a mark only while the king steps are written; it is clear on return.
#include "movegen/movegen_internal.h"

namespace {

using namespace movegen_detail;

constexpr uint32_t XRAY_MARK = 1u << 16;

// Marks (or unmarks) the square behind the king on each sliding checker's line, so that a king
// step away from the slider along its own line counts as attacked.
void set_xray_marks(int o, uint32_t sliders, int king, bool on)
{
    while (sliders) {
        const int k = lowest_bit[sliders];
        const int x = static_cast<int>(ficha[o][k].square);
        uint32_t& entry = attaques[o][king + direction[x * 100 + king]];
        entry = on ? (entry | XRAY_MARK) : (entry & ~XRAY_MARK);
        sliders ^= ficha[o][k].mask;
    }
}

// Captures of the checker on x by every own piece but the king.
int capture_checker(int w, int c, int x)
{
    uint32_t attackers = attaques[c][x] & SLOT_BITS & ~1u;
    while (attackers) {
        const int a = lowest_bit[attackers];
        const int from = static_cast<int>(ficha[c][a].square);
        if (type_of(echiquier[from]) == PAWN)
            w = push_pawn_move(w, from, x);
        else
            w = push_plain(w, from, x);
        attackers ^= ficha[c][a].mask;
    }
    return w;
}

// Blocks on the empty square q: pieces first (no pawns, no king), then a pawn push or double
// step onto q.
int block_square(int w, int c, int q)
{
    const int f = trait;
    const uint8_t pawn = own_pawn_code();
    w = push_from_slots(w, c, attaques[c][q] & SLOT_BITS & ~(piece_type[c][PAWN] | 1u), q);
    if (echiquier[q - f] == pawn)
        w = push_pawn_move(w, q - f, q);
    else if (double_step_rank[q] == f && echiquier[q - f] == EMPTY && echiquier[q - 2 * f] == pawn)
        w = push_move(w, make_move_word(q - 2 * f, q, PAWN));
    return w;
}

}  // namespace

void genere_evasions(int p)
{
    assert(p >= 0 && p <= MAX_HEIGHT);
    ++evasions_calls;
    const int c = colour_index(trait);
    const int o = 1 - c;
    const int king = king_square(c);
    int w = ply_start[p];

    const uint32_t sliding_checkers = pieces_glissantes_mask[o] & attaques[o][king];
    set_xray_marks(o, sliding_checkers, king, true);
    w = gen_king(w, king, false);
    set_xray_marks(o, sliding_checkers, king, false);

    const uint32_t checkers = attaques[o][king] & SLOT_BITS;
    if (checkers != 0 && bit_count[checkers] < 2) {
        const int x = static_cast<int>(ficha[o][lowest_bit[checkers]].square);
        w = capture_checker(w, c, x);
        if (sliding_checkers != 0) {
            const int d = direction[x * 100 + king];
            for (int q = x + d; q != king; q += d) w = block_square(w, c, q);
        }
        // A pawn that has just made a double step may be taken en passant.
        if (x + trait == static_cast<int>(pos()->case_ep)) w = gen_en_passant(w);
    }
    ply_start[p + 1] = w;
}
