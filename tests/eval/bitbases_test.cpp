// The two bit bases against naive solvers that sweep every position, on file and rank
// coordinates, until nothing changes: every entry must agree.
#include "eval/bitbases.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <vector>

namespace {

// Squares numbered as case64 (8 x file + rank, both from 0), pawns moving up.
struct Geometry {
    static int file_of(int s) { return s >> 3; }
    static int rank_of(int s) { return s & 7; }
    static int cheb(int a, int b)
    {
        return std::max(std::abs(file_of(a) - file_of(b)), std::abs(rank_of(a) - rank_of(b)));
    }
    // Whether a pawn on p attacks t.
    static bool pawn_hits(int p, int t)
    {
        return rank_of(t) == rank_of(p) + 1 && std::abs(file_of(t) - file_of(p)) == 1;
    }
    static std::vector<int> king_steps(int s)
    {
        std::vector<int> out;
        for (int t = std::max(s - 9, 0); t <= std::min(s + 9, 63); ++t)
            if (cheb(s, t) == 1) out.push_back(t);
        return out;
    }
    // A rook or queen on q attacks t, the king on K being the only blocker.
    static bool piece_hits(int q, int t, int K, bool queen)
    {
        const int df = file_of(t) - file_of(q), dr = rank_of(t) - rank_of(q);
        if ((df == 0) == (dr == 0) && !(queen && df != 0 && std::abs(df) == std::abs(dr)))
            return false;
        const int step = 8 * ((df > 0) - (df < 0)) + (dr > 0) - (dr < 0);
        for (int s = q + step; s != t; s += step)
            if (s == K) return false;
        return true;
    }
};

class BitbasesTest : public testing::Test, protected Geometry {
protected:
    static void SetUpTestSuite() { init_bitbases(); }
};

// Plain forward solver: one byte per position [stm][K][k][p], swept until stable.
struct NaiveKpk : Geometry {
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
            for (int i = 0; i < 2 * 64 * 64 * 64; ++i) {
                const int stm = i >> 18, K = i >> 12 & 63, k = i >> 6 & 63, p = i & 63;
                if (won[i] || !legal(stm, K, k, p)) continue;
                if (stm ? white_wins(K, k, p) : black_loses(K, k, p)) won[i] = changed = true;
            }
        }
    }
};

TEST_F(BitbasesTest, KpkAgreesWithNaiveSolver)
{
    NaiveKpk naive;
    naive.solve();
    long naive_count = 0, base_count = 0, mismatches = 0;
    for (int i = 0; i < 2 * 64 * 64 * 64; ++i) {
        const int stm = i >> 18, K = i >> 12 & 63, k = i >> 6 & 63, p = i & 63;
        naive_count += naive.won[i];
        mismatches += naive.won[i] != kpk_won(stm, K, k, p);
        if (p == 0) base_count += std::popcount(kpk_base[stm][K][k]);
    }
    EXPECT_EQ(base_count, naive_count);
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(naive_count, 200000);  // most KPK positions are won
}

// Plain forward solver for one or two pawns without their king: single[stm][a][k] and
// pair[stm][a][b][k], swept together until stable.
struct NaivePawns : Geometry {
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
            for (int i = 0; i < 2 * 64 * 64; ++i) {
                const int stm = i >> 12, a = i >> 6 & 63, k = i & 63;
                if (single[i] || !pawn_ok(a) || k == a || (stm && pawn_hits(a, k))) continue;
                if (single_value(stm, a, k)) single[i] = changed = true;
            }
            for (int i = 0; i < 2 * 64 * 64 * 64; ++i) {
                const int stm = i >> 18, a = i >> 12 & 63, b = i >> 6 & 63, k = i & 63;
                if (pair[i] || !pawn_ok(a) || !pawn_ok(b) || file_of(a) == file_of(b)) continue;
                if (k == a || k == b || (stm && (pawn_hits(a, k) || pawn_hits(b, k)))) continue;
                if (pair_value(stm, a, b, k)) pair[i] = changed = true;
            }
        }
    }
};

TEST_F(BitbasesTest, TwoPawnsAgreeWithNaiveSolver)
{
    NaivePawns naive;
    naive.solve();
    long mismatches = 0, wins = 0;
    for (int i = 0; i < 2 * 64 * 64 * 64; ++i) {
        const int stm = i >> 18, a = i >> 12 & 63, b = i >> 6 & 63, k = i & 63;
        wins += naive.pair[i];
        mismatches += naive.pair[i] != two_pawns_won(stm, a, b, k);
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(wins, 0);
}

}  // namespace
