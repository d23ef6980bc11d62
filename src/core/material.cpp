// The material balance and its cache. A cache cell is keyed by the material signature `mk3` and
// the bishop class, and checked by both packed counts plus the class flag, so one cell serves
// every position with the same material and bishop colours; its score is from White's view.
#include "core/material.h"

#include "caches/caches.h"
#include "core/board.h"
#include "core/keys.h"
#include "core/tables.h"
#include "platform/thread_state.h"

QV_THREAD_STATE int32_t fous_cases[2];
QV_THREAD_STATE uint32_t materiel_calls, materiel_hits;

namespace {

// Packed-count fields of `mk`.
constexpr uint32_t KNIGHT_FIELD = 0xF0;
constexpr uint32_t BISHOP_FIELD = 0xF00;
constexpr uint32_t ROOK_FIELD = 0xF000;
constexpr uint32_t QUEEN_FIELD = 0xF0000;

// What the rules read of one side's material.
struct Side {
    int pawns;   // nombre_pions
    int pieces;  // nombre_pieces: knights, bishops, rooks and queens
    int knights;
    int bishops;
    int minors;
    int rooks;
    int queens;
    int set;  // bishop colour set: bit 0 dark, bit 1 light
    uint32_t packed;
};

Side side_of(int c)
{
    Side s{};
    s.pawns = nombre_pions[c];
    s.pieces = nombre_pieces[c];
    s.knights = bit_count[piece_type[c][KNIGHT] & SLOT_BITS];
    s.bishops = bit_count[piece_type[c][BISHOP] & SLOT_BITS];
    s.minors = bit_count[(piece_type[c][KNIGHT] | piece_type[c][BISHOP]) & SLOT_BITS];
    s.rooks = bit_count[piece_type[c][ROOK] & SLOT_BITS];
    s.queens = bit_count[piece_type[c][QUEEN] & SLOT_BITS];
    s.set = fous_cases[c];
    s.packed = mk[c];
    return s;
}

// The usual "0 with few pawns, then a pawn's worth less per extra pawn" verdict.
int minor_against_pawns(int pawns)
{
    return pawns < 3 ? 0 : 250 - 100 * pawns;
}

bool lone_minor(const Side& s)
{
    return s.pieces == 1 && (s.knights == 1 || s.bishops == 1);
}
bool two_knights(const Side& s)
{
    return s.pieces == 2 && s.knights == 2;
}
bool two_minors(const Side& s)
{
    return s.pieces == 2 && s.minors == 2;
}
bool lone_rook(const Side& s)
{
    return s.pieces == 1 && s.rooks == 1;
}

int rook_against_lone_piece(const Side& op)
{
    if (op.knights == 1) {
        if (op.pawns == 0) return 50;
        if (op.pawns <= 2) return 0;
        return (2 - op.pawns) * 100;
    }
    return op.pawns < 3 ? 0 : (2 - op.pawns) * 100;
}

int two_minors_against_minor(const Side& me, const Side& op)
{
    if (me.knights == 2) return minor_against_pawns(op.pawns);
    if (op.pawns >= 3) return 250 - 100 * op.pawns;
    const int a = me.set == 3 ? 1 : 0;
    const int b = op.bishops > 0 ? 1 : 0;
    return (a - b + 1) * (2 - op.pawns) * 25;
}

// The rules for a side `me` without pawns against `op`; d is the material difference from me's
// view. Returns true with *score (me's view) when a rule decides.
bool pawnless_rules(const Side& me, const Side& op, int d, int* score)
{
    if (lone_minor(me) && op.pieces == 0) {
        *score = minor_against_pawns(op.pawns);
    } else if (lone_rook(me) && op.pieces == 1 && (op.knights == 1 || op.bishops == 1)) {
        *score = rook_against_lone_piece(op);
    } else if (two_minors(me) && op.pieces == 1 && op.minors == 1) {
        *score = two_minors_against_minor(me, op);
    } else if (two_knights(me) && op.pieces == 0) {
        *score = op.pawns < 4 ? 0 : (3 - op.pawns) * 100;
    } else if (two_knights(me) && op.pieces == 1 && op.rooks == 1) {
        *score = op.pawns <= 1 ? 0 : 100 - 100 * op.pawns;
    } else if (two_minors(me) && me.bishops >= 1 && op.pieces == 1 && op.rooks == 1) {
        *score = op.pawns < 2 ? 0 : 150 - 100 * op.pawns;
    } else if (me.pieces == 2 && me.minors >= 1 && op.pieces == 1 &&
               me.rooks + 2 * me.queens == op.rooks + 2 * op.queens) {
        *score = op.pawns < 4 ? 50 - 50 * op.pawns : (2 - op.pawns) * 100;
    } else if (me.set != 3 && d >= 0 && (me.packed & ~BISHOP_FIELD) == 0) {
        *score = 0;
    } else {
        return false;
    }
    return true;
}

bool opposite_bishops_only(const Side& w, const Side& b)
{
    if (w.set == 0 || b.set == 0 || (w.set ^ b.set) != 3) return false;
    return ((w.packed | b.packed) & (KNIGHT_FIELD | ROOK_FIELD | QUEEN_FIELD)) == 0;
}

int opposite_bishops_score(const Side& w, const Side& b, int d)
{
    const int v = d + 165 * (b.pieces - w.pieces);
    if (v > 0 && w.pawns <= b.pawns + 3) return v - (v / 2 < 100 ? v / 2 : 100);
    if (v < 0 && b.pawns <= w.pawns + 3) return v + (-(v / 2) < 100 ? -(v / 2) : 100);
    return v;
}

int bishop_pair_bonus(const Side& me, const Side& op)
{
    if (me.set != 3) return 0;
    return op.bishops > 0 ? (14 - op.pawns) * 10 / 3 : (14 - op.pawns) * 5;
}

// The imbalance correction: +-30 for a small material imbalance, 0 otherwise.
int imbalance_bonus(const Side& w, const Side& b)
{
    if (w.packed == 0 || b.packed == 0) return 0;
    if (w.pieces + w.pawns <= 1 && b.pieces + b.pawns <= 1) return 0;
    const int i = 3 * (14 * (w.queens - b.queens) - (w.rooks > 0) + (b.rooks > 0)) +
                  22 * (w.rooks - b.rooks) + 16 * (w.minors - b.minors);
    if (i > 0 && i < 40) return 30;
    if (i < 0 && i > -40) return -30;
    return 0;
}

}  // namespace

int calcule_materiel()
{
    const Side w = side_of(WHITE);
    const Side b = side_of(BLACK);
    int d = pos()->materiel[WHITE] - pos()->materiel[BLACK];
    int score = 0;
    if (w.pawns == 0 && pawnless_rules(w, b, d, &score)) return score;
    if (b.pawns == 0 && pawnless_rules(b, w, -d, &score)) return -score;
    if (opposite_bishops_only(w, b)) return opposite_bishops_score(w, b, d);
    d += bishop_pair_bonus(w, b);
    d -= bishop_pair_bonus(b, w);
    return d + imbalance_bonus(w, b);
}

int evalue_materiel()
{
    ++materiel_calls;
    for (int c = 0; c < 2; ++c) fous_cases[c] = (cf[c][0] != 0 ? 1 : 0) | (cf[c][1] != 0 ? 2 : 0);
    const int cls = fous_cases[BLACK] * 4 + fous_cases[WHITE];
    const uint32_t check0 = bishop_class_flags[cls] | mk[BLACK];
    const uint32_t check1 = mk[WHITE];
    // Without a cache (before the caches are allocated) the balance is simply computed.
    if (Materiel_hash_table == nullptr)
        return mk[BLACK] == mk[WHITE] ? 0 : calcule_materiel() * trait;
    MaterialCell& cell = Materiel_hash_table[(bishop_class_keys[cls] ^ mk3) & materiel_hash_mask];
    if (cell.check0 == check0 && cell.check1 == check1) {
        ++materiel_hits;
        return cell.score * trait;
    }
    const int s = mk[BLACK] == mk[WHITE] ? 0 : calcule_materiel();
    cell.check0 = check0;
    cell.check1 = check1;
    cell.score = static_cast<int16_t>(s);
    return s * trait;
}
