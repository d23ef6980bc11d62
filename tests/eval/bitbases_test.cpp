// The two bit bases against facts found without the solver: classic king-and-pawn positions,
// hand-checked pawn races, and a second, naive solver that plays every position forward with
// coordinates until nothing changes and must agree with the bases bit for bit.
#include "eval/bitbases.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdlib>
#include <vector>

namespace {

// case64 of a square name such as "e4".
int sq(const char* name)
{
    return 8 * (name[0] - 'a') + (name[1] - '1');
}
int file_of(int s)
{
    return s >> 3;
}
int rank_of(int s)
{
    return s & 7;
}
int cheb(int a, int b)
{
    return std::max(std::abs(file_of(a) - file_of(b)), std::abs(rank_of(a) - rank_of(b)));
}
bool on_board(int f, int r)
{
    return f >= 0 && f < 8 && r >= 0 && r < 8;
}
// Whether a pawn moving up from p attacks t.
bool pawn_hits(int p, int t)
{
    return rank_of(t) == rank_of(p) + 1 && std::abs(file_of(t) - file_of(p)) == 1;
}
std::vector<int> king_steps(int s)
{
    std::vector<int> out;
    for (int df = -1; df <= 1; ++df)
        for (int dr = -1; dr <= 1; ++dr)
            if ((df || dr) && on_board(file_of(s) + df, rank_of(s) + dr))
                out.push_back(8 * (file_of(s) + df) + rank_of(s) + dr);
    return out;
}
// A rook or queen on q attacks t, the king on K being the only blocker.
bool piece_hits(int q, int t, int K, bool queen)
{
    const int df = file_of(t) - file_of(q), dr = rank_of(t) - rank_of(q);
    if (df == 0 && dr == 0) return false;
    const bool straight = df == 0 || dr == 0;
    const bool diagonal = std::abs(df) == std::abs(dr);
    if (!straight && !(queen && diagonal)) return false;
    const int sf = (df > 0) - (df < 0), sr = (dr > 0) - (dr < 0);
    for (int f = file_of(q) + sf, r = rank_of(q) + sr; 8 * f + r != t; f += sf, r += sr)
        if (8 * f + r == K) return false;
    return true;
}

class BitbasesTest : public testing::Test {
protected:
    static void SetUpTestSuite() { init_bitbases(); }
};

// ---- KPK --------------------------------------------------------------------------------------

TEST_F(BitbasesTest, KpkKeySquaresWinWhoeverMoves)
{
    // Pawn e4: a king on d6, e6 or f6 wins against any king on the eighth rank in front of it.
    for (const char* k : {"d6", "e6", "f6"})
        for (const char* d : {"d8", "e8", "f8"})
            for (int stm = 0; stm < 2; ++stm)
                EXPECT_TRUE(kpk_won(stm, sq(k), sq(d), sq("e4"))) << k << " " << d << " " << stm;
}

TEST_F(BitbasesTest, KpkOppositionDecides)
{
    // Ke5, Pe4 against Ke7: the side to move loses the opposition.
    EXPECT_FALSE(kpk_won(1, sq("e5"), sq("e7"), sq("e4")));
    EXPECT_TRUE(kpk_won(0, sq("e5"), sq("e7"), sq("e4")));
    // A king on the sixth rank in front of its pawn wins whoever moves.
    for (int stm = 0; stm < 2; ++stm) {
        EXPECT_TRUE(kpk_won(stm, sq("e6"), sq("e8"), sq("e5")));
        EXPECT_TRUE(kpk_won(stm, sq("d6"), sq("d8"), sq("d5")));
    }
}

TEST_F(BitbasesTest, KpkRookPawnDrawsWithDefenderInCorner)
{
    int legal = 0;
    for (int r = 1; r <= 6; ++r)
        for (int K = 0; K < 64; ++K)
            for (int stm = 0; stm < 2; ++stm) {
                const int p = r, k = sq("a8");
                if (K == p || cheb(K, k) <= 1 || k == p) continue;
                ++legal;
                EXPECT_FALSE(kpk_won(stm, K, k, p)) << K << " " << p << " " << stm;
            }
    EXPECT_GT(legal, 500);
}

TEST_F(BitbasesTest, KpkSquareRuleAndLostPawn)
{
    // King h1 far away; pawn a4 with White to move: king f8 is outside the square, e8 inside.
    EXPECT_TRUE(kpk_won(1, sq("h1"), sq("f8"), sq("a4")));
    EXPECT_FALSE(kpk_won(1, sq("h1"), sq("e8"), sq("a4")));
    // The defender to move simply takes an unguarded pawn.
    EXPECT_FALSE(kpk_won(0, sq("a1"), sq("d5"), sq("e4")));
    // A pawn on its second rank double-steps: the square of a4 is out of reach from g7 only.
    EXPECT_TRUE(kpk_won(1, sq("h1"), sq("g7"), sq("a2")));
    EXPECT_FALSE(kpk_won(1, sq("h1"), sq("f7"), sq("a2")));
}

// Plain forward solver: one byte per position [stm][K][k][p], swept until stable.
struct NaiveKpk {
    std::vector<uint8_t> won = std::vector<uint8_t>(2 * 64 * 64 * 64);
    uint8_t& at(int stm, int K, int k, int p) { return won[((stm * 64 + K) * 64 + k) * 64 + p]; }

    static bool legal(int stm, int K, int k, int p)
    {
        if (rank_of(p) < 1 || rank_of(p) > 6 || K == p || k == p || cheb(K, k) <= 1) return false;
        return stm == 0 || !pawn_hits(p, k);
    }
    static bool promotion_wins(int K, int q, int k)
    {
        if (k == q) return false;
        if (cheb(k, q) == 1 && cheb(K, q) != 1) return false;
        for (bool queen : {true, false}) {
            bool escape = false;
            for (int n : king_steps(k))
                if (cheb(n, K) > 1 && n != q && !piece_hits(q, n, K, queen)) escape = true;
            if (escape || piece_hits(q, k, K, queen)) return true;
        }
        return false;
    }
    bool white_wins(int K, int k, int p)
    {
        for (int n : king_steps(K))
            if (n != p && cheb(n, k) > 1 && at(0, n, k, p)) return true;
        const int q = p + 1;
        if (q == K || q == k) return false;
        if (rank_of(q) == 7) return promotion_wins(K, q, k);
        if (at(0, K, k, q)) return true;
        return rank_of(p) == 1 && q + 1 != K && q + 1 != k && at(0, K, k, q + 1);
    }
    bool black_loses(int K, int k, int p)
    {
        bool any = false;
        for (int n : king_steps(k)) {
            if (cheb(n, K) <= 1 || pawn_hits(p, n)) continue;
            any = true;
            if (n == p || !at(1, K, n, p)) return false;
        }
        return any || pawn_hits(p, k);
    }
    void solve()
    {
        for (bool changed = true; changed;) {
            changed = false;
            for (int stm = 0; stm < 2; ++stm)
                for (int K = 0; K < 64; ++K)
                    for (int k = 0; k < 64; ++k)
                        for (int p = 0; p < 64; ++p) {
                            if (at(stm, K, k, p) || !legal(stm, K, k, p)) continue;
                            if (stm ? white_wins(K, k, p) : black_loses(K, k, p)) {
                                at(stm, K, k, p) = 1;
                                changed = true;
                            }
                        }
        }
    }
};

TEST_F(BitbasesTest, KpkAgreesWithNaiveSolver)
{
    NaiveKpk naive;
    naive.solve();
    long naive_count = 0, base_count = 0, mismatches = 0;
    for (int stm = 0; stm < 2; ++stm)
        for (int K = 0; K < 64; ++K)
            for (int k = 0; k < 64; ++k) {
                base_count += std::popcount(kpk_base[stm][K][k]);
                for (int p = 0; p < 64; ++p) {
                    naive_count += naive.at(stm, K, k, p);
                    mismatches += naive.at(stm, K, k, p) != kpk_won(stm, K, k, p);
                }
            }
    EXPECT_EQ(base_count, naive_count);
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(naive_count, 200000);  // most KPK positions are won
}

// ---- two pawns against a lone king ------------------------------------------------------------

TEST_F(BitbasesTest, TwoPawnsHandCheckedRaces)
{
    for (int stm = 0; stm < 2; ++stm) {
        // Connected pawns on the sixth rank, king far away.
        EXPECT_TRUE(two_pawns_won(stm, sq("d6"), sq("e6"), sq("a1")));
        EXPECT_TRUE(two_pawns_won(stm, sq("d6"), sq("e6"), sq("h2")));
        // Rook pawns on the sixth rank: the king in the centre reaches neither corner in time.
        EXPECT_TRUE(two_pawns_won(stm, sq("a6"), sq("h6"), sq("e4")));
    }
    // The king between two unguarded pawns takes one and then stops the other.
    EXPECT_FALSE(two_pawns_won(0, sq("d5"), sq("f5"), sq("e6")));
    // Taking the a-pawn at once leaves the h-pawn outside the king's square.
    EXPECT_TRUE(two_pawns_won(0, sq("a3"), sq("h3"), sq("b4")));
    // Taking the e-pawn at once, the king then also reaches the f-pawn.
    EXPECT_FALSE(two_pawns_won(0, sq("e4"), sq("f2"), sq("e5")));
    // Same-file placements and a king on a pawn are never won.
    EXPECT_FALSE(two_pawns_won(1, sq("a6"), sq("a5"), sq("h1")));
    EXPECT_FALSE(two_pawns_won(1, sq("d6"), sq("e6"), sq("d6")));
}

// Plain forward solver for one or two pawns without their king: single[stm][a][k] and
// pair[stm][a][b][k], swept together until stable.
struct NaivePawns {
    std::vector<uint8_t> single = std::vector<uint8_t>(2 * 64 * 64);
    std::vector<uint8_t> pair = std::vector<uint8_t>(2 * 64 * 64 * 64);
    uint8_t& one(int stm, int a, int k) { return single[(stm * 64 + a) * 64 + k]; }
    uint8_t& two(int stm, int a, int b, int k) { return pair[((stm * 64 + a) * 64 + b) * 64 + k]; }
    static bool pawn_ok(int a) { return rank_of(a) >= 1 && rank_of(a) <= 6; }

    bool single_value(int stm, int a, int k)
    {
        if (stm) {
            const int q = a + 1;
            if (q == k) return false;
            if (rank_of(q) == 7) return cheb(k, q) > 1;
            return one(0, q, k) || (rank_of(a) == 1 && q + 1 != k && one(0, q + 1, k));
        }
        bool any = false;
        for (int n : king_steps(k)) {
            if (pawn_hits(a, n)) continue;
            any = true;
            if (n == a || !one(1, a, n)) return false;
        }
        return any || pawn_hits(a, k);
    }
    bool push_wins(int x, int y, int k)
    {
        const int q = x + 1;
        if (q == k) return false;
        if (rank_of(q) == 7) return pawn_hits(y, q) || cheb(k, q) > 1 || one(1, y, q);
        return two(0, q, y, k) || (rank_of(x) == 1 && q + 1 != k && two(0, q + 1, y, k));
    }
    bool pair_value(int stm, int a, int b, int k)
    {
        if (stm) return push_wins(a, b, k) || push_wins(b, a, k);
        bool any = false;
        for (int n : king_steps(k)) {
            if (pawn_hits(a, n) || pawn_hits(b, n)) continue;
            any = true;
            const bool won = n == a ? one(1, b, a) : n == b ? one(1, a, b) : two(1, a, b, n);
            if (!won) return false;
        }
        return any || pawn_hits(a, k) || pawn_hits(b, k);
    }
    void solve()
    {
        for (bool changed = true; changed;) {
            changed = false;
            for (int stm = 0; stm < 2; ++stm)
                for (int a = 0; a < 64; ++a) {
                    if (!pawn_ok(a)) continue;
                    for (int k = 0; k < 64; ++k) {
                        if (k == a || (stm && pawn_hits(a, k)) || one(stm, a, k)) continue;
                        if (single_value(stm, a, k)) one(stm, a, k) = changed = true;
                    }
                    for (int b = 0; b < 64; ++b) {
                        if (!pawn_ok(b) || file_of(a) == file_of(b)) continue;
                        for (int k = 0; k < 64; ++k) {
                            if (k == a || k == b || two(stm, a, b, k)) continue;
                            if (stm && (pawn_hits(a, k) || pawn_hits(b, k))) continue;
                            if (pair_value(stm, a, b, k)) two(stm, a, b, k) = changed = true;
                        }
                    }
                }
        }
    }
};

TEST_F(BitbasesTest, TwoPawnsAgreeWithNaiveSolver)
{
    NaivePawns naive;
    naive.solve();
    long mismatches = 0, wins = 0;
    for (int stm = 0; stm < 2; ++stm)
        for (int a = 0; a < 64; ++a)
            for (int b = 0; b < 64; ++b)
                for (int k = 0; k < 64; ++k) {
                    wins += naive.two(stm, a, b, k);
                    mismatches += naive.two(stm, a, b, k) != two_pawns_won(stm, a, b, k);
                }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(wins, 0);
}

TEST_F(BitbasesTest, SolvingIsCheapEnoughForStartUp)
{
    const auto start = std::chrono::steady_clock::now();
    init_bitbases();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    EXPECT_LT(ms, 100);
    EXPECT_TRUE(kpk_won(1, sq("e6"), sq("e8"), sq("e4")));  // same contents after a second run
}

}  // namespace
