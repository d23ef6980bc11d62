// The geometry and bit tables: the worked examples, and every built table checked against an
// independent computation on file/rank coordinates.
#include "core/tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <set>

#include "test_support.h"

namespace {

int sq(const char* name)
{
    return square_of(name[0] - 'a' + 1, name[1] - '0');
}
bool board(int s)
{
    return s >= 21 && s <= 98 && s % 10 >= 1 && s % 10 <= 8;
}
int sign(int v)
{
    return (v > 0) - (v < 0);
}
int king_dist(int f1, int r1, int f2, int r2)
{
    return std::max(std::abs(f1 - f2), std::abs(r1 - r2));
}

// The queen-line step from a to b from coordinates; 0 when they share no line.
int line_step(int a, int b)
{
    const int df = b / 10 - a / 10, dr = b % 10 - a % 10;
    if (a == b || (df != 0 && dr != 0 && std::abs(df) != std::abs(dr))) return 0;
    return 10 * sign(df) + sign(dr);
}

bool knight_pair(int a, int b)
{
    const int df = std::abs(b / 10 - a / 10), dr = std::abs(b % 10 - a % 10);
    return df * dr == 2;
}

class Tables : public testing::Test {
protected:
    void SetUp() override { engine_init_for_tests(); }
};

}  // namespace

TEST_F(Tables, BitAndDistanceTables)
{
    EXPECT_EQ(bit_count[65535], 16);
    EXPECT_EQ(lowest_bit[32768], 15);
    EXPECT_EQ(lowest_bit[0], 0);
    for (unsigned m = 1; m < 65536; ++m) {
        ASSERT_EQ(bit_count[m], std::popcount(m)) << m;
        ASSERT_EQ(lowest_bit[m], std::countr_zero(m)) << m;
    }
    for (int a = 0; a < BOARD_SIZE; ++a)
        for (int b = 0; b < BOARD_SIZE; ++b)
            ASSERT_EQ(distance[a][b], king_dist(a / 10, a % 10, b / 10, b % 10)) << a << " " << b;
}

TEST_F(Tables, MoveIndexNumbersQueenAndKnightPairsInWalkOrder)
{
    const int a1 = sq("a1") * 128, h8 = sq("h8") * 128;
    EXPECT_EQ(move_index[a1 + sq("a2")], 1);
    EXPECT_EQ(move_index[a1 + sq("a8")], 7);
    EXPECT_EQ(move_index[a1 + sq("b1")], 8);   // the +10 ray follows +1
    EXPECT_EQ(move_index[a1 + sq("b2")], 15);  // then +11
    EXPECT_EQ(move_index[a1 + sq("b3")], 22);  // knight +12 before +21
    EXPECT_EQ(move_index[a1 + sq("c2")], 23);
    EXPECT_EQ(move_index[sq("a2") * 128 + sq("a3")], 24);
    EXPECT_EQ(move_index[a1 + sq("c4")], 0);
    EXPECT_EQ(move_index[h8 + sq("f7")], 1792);
    std::set<int> seen;
    for (int from = 0; from < 128; ++from)
        for (int to = 0; to < 128; ++to) {
            const int n = move_index[from * 128 + to];
            const bool joined =
                board(from) && board(to) && (line_step(from, to) != 0 || knight_pair(from, to));
            ASSERT_EQ(n != 0, joined) << from << " " << to;
            ASSERT_TRUE(n == 0 || seen.insert(n).second) << n;
        }
    EXPECT_EQ(seen.size(), 1792u);
    EXPECT_EQ(*seen.rbegin(), 1792);
}

TEST_F(Tables, DirectionGivesTheStepAlongCommonLines)
{
    EXPECT_EQ(direction[sq("a1") * 100 + sq("h8")], 11);
    EXPECT_EQ(direction[sq("h8") * 100 + sq("a1")], -11);
    EXPECT_EQ(direction[sq("a1") * 100 + sq("b3")], 0);
    for (int a = 0; a < 100; ++a)
        for (int b = 0; b < 100; ++b)
            ASSERT_EQ(direction[a * 100 + b], board(a) && board(b) ? line_step(a, b) : 0);
}

// Besides the examples: walking from an edge square with the band step reaches s before the
// king's neighbourhood, and the edge lies on the board's edge across the step.
TEST_F(Tables, BandTables)
{
    const int e5 = sq("e5") * 100;
    EXPECT_EQ(band_step[e5 + sq("d8")], -1);
    EXPECT_EQ(band_edge[e5 + sq("d8")], sq("d8"));
    EXPECT_EQ(band_step[e5 + sq("c6")], 10);
    EXPECT_EQ(band_edge[e5 + sq("c6")], sq("a6"));
    EXPECT_EQ(band_edge[e5 + sq("d6")], 0);
    EXPECT_EQ(band_step[e5 + sq("d6")], -1);
    EXPECT_EQ(band_step[e5 + sq("f4")], 1);
    EXPECT_EQ(band_step[e5 + sq("d5")], 10);
    EXPECT_EQ(band_edge[e5 + sq("f2")], sq("f1"));
    EXPECT_EQ(band_step[e5 + sq("g7")] | band_edge[e5 + sq("g7")] | band_step[e5 + sq("e5")], 0);
    for (int k = 0; k < 100; ++k)
        for (int s = 0; s < 100; ++s) {
            const int step = band_step[k * 100 + s], edge = band_edge[k * 100 + s];
            ASSERT_TRUE((board(k) && board(s)) || (step | edge) == 0);
            if (edge == 0) continue;
            ASSERT_EQ(band_step[k * 100 + edge], step);
            ASSERT_GE(distance[k][s], 2);
            int walk = edge;
            while (walk != s && board(walk) && distance[walk][k] > 1) walk += step;
            ASSERT_EQ(walk, s) << k << " " << s;
            ASSERT_FALSE(board(edge - step));
        }
}

TEST_F(Tables, DiagonalApproachHasAtMostOneDiagonal)
{
    EXPECT_EQ(diagonal_approach[sq("e5") * 100 + sq("h7")], 11);
    EXPECT_EQ(diagonal_approach[sq("e5") * 100 + sq("c6")], 0);
    EXPECT_EQ(diagonal_approach[sq("a2") * 100 + sq("d1")], 9);
    const int steps[4][2] = {{-1, 1}, {1, 1}, {-1, -1}, {1, -1}};  // -9, +11, -11, +9
    for (int x = 21; x <= 98; ++x)
        for (int k = 21; k <= 98; ++k) {
            if (!board(x) || !board(k)) continue;
            const int fx = x / 10, rx = x % 10, fk = k / 10, rk = k % 10;
            int found = 0, count = 0;
            for (const auto& st : steps) {
                if (king_dist(fx, rx, fk, rk) < 3) break;
                for (int f = fx + st[0], r = rx + st[1];; f += st[0], r += st[1]) {
                    if (king_dist(f, r, fk, rk) <= 1) {
                        ++count, found = 10 * st[0] + st[1];
                        break;
                    }
                    if (!board(10 * f + r)) break;
                }
            }
            ASSERT_LE(count, 1) << x << " " << k;
            ASSERT_EQ(diagonal_approach[x * 100 + k], found) << x << " " << k;
        }
}

TEST(ConstantTables, SquaresPiecesAndRanks)
{
    for (int i = 0; i < 64; ++i) {
        const int s = case120[i];
        ASSERT_EQ(case64[s], i);
        ASSERT_EQ(colonne[s] * 10 + rangee[s], s - 10);
        ASSERT_EQ(couleur_case[s], (colonne[s] + rangee[s]) & 1);
    }
    EXPECT_EQ(case120[8], 31);
    EXPECT_EQ(couleur_case[sq("a1")], 0);
    EXPECT_EQ(case64[30] | colonne[30] | rangee[99], 0);
    EXPECT_STREQ(square_name(98), "h8");
    EXPECT_STREQ(square_name(30), "??");
    EXPECT_EQ(castle_mask[case64[SQ_A1]], 7);
    EXPECT_EQ(castle_mask[case64[SQ_E1]], 3);
    EXPECT_EQ(castle_mask[case64[SQ_H1]], 11);
    EXPECT_EQ(castle_mask[case64[SQ_A8]], 13);
    EXPECT_EQ(castle_mask[case64[SQ_E8]], 12);
    EXPECT_EQ(castle_mask[case64[SQ_H8]], 14);
    EXPECT_EQ(promotion_rank[sq("c1")] - promotion_rank[sq("c8")], 2);
    EXPECT_EQ(start_rank[sq("c2")] - start_rank[sq("c7")], 2);
    EXPECT_EQ(double_step_rank[sq("c4")] - double_step_rank[sq("c5")], 2);
    EXPECT_EQ(file_rank_bits[sq("c5")], (1 << 2) | (1 << 12));
    EXPECT_EQ(highest_pawn_rank[WHITE], pion_plus_avance[WHITE]);
    EXPECT_EQ(highest_pawn_rank[BLACK], pion_moins_avance[BLACK]);
}
