// Retrograde solution of the two bit bases, computed at start-up. Every set of positions is a
// 64-bit mask over the defending king's square (case64), so one fixpoint step handles 64
// positions with a few shifts; both bases together take a few milliseconds, which is why they
// are solved when the engine starts instead of being stored as generated data.
#include "eval/bitbases.h"

#include <bit>
#include <cstring>

uint64_t kpk_base[2][64][64];
uint64_t two_pawns_base[2][64][64];

namespace {

// case64 = 8 * file + rank (both from 0): +1 is one rank up, +8 one file to the right.
constexpr uint64_t RANK_1 = 0x0101010101010101ULL;
constexpr uint64_t RANK_8 = 0x8080808080808080ULL;

constexpr uint64_t bit(int sq)
{
    return uint64_t{1} << sq;
}
constexpr int rank_index(int sq)
{
    return sq & 7;
}
constexpr uint64_t up(uint64_t b)
{
    return (b & ~RANK_8) << 1;
}
constexpr uint64_t down(uint64_t b)
{
    return (b & ~RANK_1) >> 1;
}
// Every square next to some square of b (b itself only where two of its squares touch).
constexpr uint64_t adjacent(uint64_t b)
{
    const uint64_t vertical = up(b) | down(b);
    const uint64_t row = b | vertical;
    return vertical | (row << 8) | (row >> 8);
}
// A square and its neighbours: where the other king may not stand.
constexpr uint64_t zone(int sq)
{
    return bit(sq) | adjacent(bit(sq));
}
// Squares attacked by a pawn of the side moving up (towards rank index 7).
constexpr uint64_t pawn_attacks(int sq)
{
    const uint64_t ahead = up(bit(sq));
    return (ahead << 8) | (ahead >> 8);
}
constexpr bool pawn_square(int sq)
{
    return rank_index(sq) >= 1 && rank_index(sq) <= 6;
}

// Squares a rook (orthogonal) or also bishop lines (queen) attack from sq; `blockers` stop a
// ray on the square they stand on.
uint64_t slider_attacks(int sq, uint64_t blockers, bool diagonals)
{
    static constexpr int DF[8] = {0, 0, 1, -1, 1, 1, -1, -1};
    static constexpr int DR[8] = {1, -1, 0, 0, 1, -1, 1, -1};
    uint64_t result = 0;
    for (int d = 0; d < (diagonals ? 8 : 4); ++d) {
        int f = sq >> 3, r = sq & 7;
        for (;;) {
            f += DF[d];
            r += DR[d];
            if (f < 0 || f > 7 || r < 0 || r > 7) break;
            result |= bit(8 * f + r);
            if (blockers & bit(8 * f + r)) break;
        }
    }
    return result;
}

// King K and a new queen or rook on q, weak king on k to move, the piece not capturable: the
// promotion fails only when the weak king has no move and is not in check (stalemate).
bool promotion_stalemates(int K, int q, int k, bool queen)
{
    const uint64_t covered = zone(K) | slider_attacks(q, bit(K), queen);
    const uint64_t flight = adjacent(bit(k)) & ~covered;
    return flight == 0 && !(covered & bit(k));
}

// Weak-king squares (side to move) for which promoting the pawn on p with king K wins: the
// new queen or rook cannot be taken at once (not next to k, or guarded by K) and does not
// leave the weak king stalemated.
uint64_t kpk_promotion_wins(int K, int p)
{
    const int q = p + 1;
    uint64_t wins = 0;
    for (int k = 0; k < 64; ++k) {
        if (zone(K) & bit(k) || k == q || k == p) continue;
        const bool can_take = (adjacent(bit(q)) & bit(k)) && !(adjacent(bit(K)) & bit(q));
        if (can_take) continue;
        if (!promotion_stalemates(K, q, k, true) || !promotion_stalemates(K, q, k, false))
            wins |= bit(k);
    }
    return wins;
}

// Black-to-move value from White-to-move wins: the weak king loses when every move it has
// leads to a won position, or when it has none and stands in check. `allowed` holds the squares
// it may move to, `won_after` the targets whose result is a win for the pawns.
constexpr uint64_t defender_loses(uint64_t legal, uint64_t allowed, uint64_t won_after,
                                  uint64_t checks)
{
    const uint64_t escapes = allowed & ~won_after;
    return legal & ~adjacent(escapes) & (adjacent(allowed) | checks);
}

// KPK, from the side of the pawn (moving up). won[1][K][p] and won[0][K][p] are masks over
// the weak king of positions won for the strong side, strong side to move (1) or not (0).
// Won means: the strong side forces a promotion to a queen or a rook that the weak king cannot
// take at once and that does not stalemate it, or mates it before.
bool kpk_step(uint64_t won[2][64][64], const uint64_t promotion[64][64])
{
    bool changed = false;
    for (int K = 0; K < 64; ++K) {
        for (int p = 0; p < 64; ++p) {
            if (!pawn_square(p) || K == p) continue;
            const uint64_t not_kings = ~zone(K) & ~bit(p);
            uint64_t moves = 0;
            for (uint64_t targets = adjacent(bit(K)) & ~bit(p); targets; targets &= targets - 1)
                moves |= won[0][std::countr_zero(targets)][p];
            const int q = p + 1;
            if (q != K) {
                if (rank_index(q) == 7) {
                    moves |= promotion[K][p];
                } else {
                    moves |= won[0][K][q] & ~bit(q);
                    if (rank_index(p) == 1 && q + 1 != K) moves |= won[0][K][q + 1] & ~bit(q);
                }
            }
            const uint64_t w1 = not_kings & ~pawn_attacks(p) & moves;
            const uint64_t allowed = ~zone(K) & ~pawn_attacks(p);
            const uint64_t w0 = defender_loses(not_kings, allowed, w1, pawn_attacks(p));
            if (w1 != won[1][K][p] || w0 != won[0][K][p]) changed = true;
            won[1][K][p] = w1;
            won[0][K][p] = w0;
        }
    }
    return changed;
}

void solve_kpk()
{
    static uint64_t won[2][64][64];
    static uint64_t promotion[64][64];
    std::memset(won, 0, sizeof won);
    std::memset(promotion, 0, sizeof promotion);
    for (int K = 0; K < 64; ++K)
        for (int p = 6; p < 64; p += 8)
            if (K != p + 1 && K != p) promotion[K][p] = kpk_promotion_wins(K, p);
    while (kpk_step(won, promotion)) {
    }
    std::memset(kpk_base, 0, sizeof kpk_base);
    for (int stm = 0; stm < 2; ++stm)
        for (int K = 0; K < 64; ++K)
            for (int p = 0; p < 64; ++p)
                for (uint64_t ks = won[stm][K][p]; ks; ks &= ks - 1)
                    kpk_base[stm][K][std::countr_zero(ks)] |= bit(p);
}

// One pawn, no king on its side: single[1][a] / single[0][a] are masks over the defending king
// of positions where the pawn promotes on a square the king cannot take at once.
bool single_pawn_step(uint64_t single[2][64])
{
    bool changed = false;
    for (int a = 0; a < 64; ++a) {
        if (!pawn_square(a)) continue;
        const int q = a + 1;
        uint64_t moves;
        if (rank_index(q) == 7) {
            moves = ~zone(q);
        } else {
            moves = single[0][q] & ~bit(q);
            if (rank_index(a) == 1) moves |= single[0][q + 1] & ~bit(q);
        }
        const uint64_t w1 = ~bit(a) & ~pawn_attacks(a) & moves;
        const uint64_t allowed = ~pawn_attacks(a);
        const uint64_t w0 = defender_loses(~bit(a), allowed, w1, pawn_attacks(a));
        if (w1 != single[1][a] || w0 != single[0][a]) changed = true;
        single[1][a] = w1;
        single[0][a] = w0;
    }
    return changed;
}

// Pawn a moves (b stays); masks over the defending king of the wins it leads to.
uint64_t pawn_moves_of(int a, int b, const uint64_t single[2][64])
{
    const int q = a + 1;
    if (rank_index(q) == 7) {
        // A new queen next to the king and not guarded by b is taken; b then plays on alone.
        if (pawn_attacks(b) & bit(q)) return ~bit(q);
        if (single[1][b] & bit(q)) return ~bit(q);
        return ~zone(q);
    }
    uint64_t moves = two_pawns_base[0][q][b] & ~bit(q);
    if (rank_index(a) == 1) moves |= two_pawns_base[0][q + 1][b] & ~bit(q);
    return moves;
}

bool two_pawns_step(const uint64_t single[2][64])
{
    bool changed = false;
    for (int a = 0; a < 64; ++a) {
        for (int b = 0; b < 64; ++b) {
            if (!pawn_square(a) || !pawn_square(b) || (a >> 3) == (b >> 3)) continue;
            const uint64_t pawns = bit(a) | bit(b);
            const uint64_t checks = pawn_attacks(a) | pawn_attacks(b);
            const uint64_t moves = pawn_moves_of(a, b, single) | pawn_moves_of(b, a, single);
            const uint64_t w1 = ~pawns & ~checks & moves;
            // Taking a pawn leaves the other one to move on alone.
            uint64_t won_after = w1;
            if (single[1][b] & bit(a)) won_after |= bit(a);
            if (single[1][a] & bit(b)) won_after |= bit(b);
            const uint64_t w0 = defender_loses(~pawns, ~checks, won_after, checks);
            if (w1 != two_pawns_base[1][a][b] || w0 != two_pawns_base[0][a][b]) changed = true;
            two_pawns_base[1][a][b] = w1;
            two_pawns_base[0][a][b] = w0;
        }
    }
    return changed;
}

// Two pawns on different files, their side without a king, against a lone king. They win when
// one of them promotes on a square the king cannot take at once (the other pawn guards it, or
// the king is not next to it), or when the king, taking the new piece, leaves the other pawn a
// won single-pawn race; their side must move a pawn every turn (it has no king to pass with).
// Entries are filled for both orders of the pawns; same-file placements stay 0.
void solve_two_pawns()
{
    static uint64_t single[2][64];
    std::memset(single, 0, sizeof single);
    while (single_pawn_step(single)) {
    }
    std::memset(two_pawns_base, 0, sizeof two_pawns_base);
    while (two_pawns_step(single)) {
    }
}

}  // namespace

void init_bitbases()
{
    solve_kpk();
    solve_two_pawns();
}
