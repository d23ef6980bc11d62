// The geometry and bit tables: the worked examples, and the built tables checked against an
// independent computation on file/rank coordinates (mailbox square = 10 x file + rank + 10).
#include "core/tables.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <utility>

#include "test_support.h"

namespace {

bool board(int s)
{
    return s >= 21 && s <= 98 && s % 10 >= 1 && s % 10 <= 8;
}

// The queen-line step from a to b; 0 when they share no line.
int line_step(int a, int b)
{
    const int df = b / 10 - a / 10, dr = b % 10 - a % 10;
    if (a == b || (df != 0 && dr != 0 && std::abs(df) != std::abs(dr))) return 0;
    return 10 * ((df > 0) - (df < 0)) + (dr > 0) - (dr < 0);
}

}  // namespace

TEST(Tables, MoveIndexNumbersQueenAndKnightPairsInWalkOrder)
{
    engine_init_for_tests();
    const int a1 = square_named("a1") * 128;
    const int examples[][2] = {{a1 + square_named("a2"), 1},
                               {a1 + square_named("a8"), 7},
                               {a1 + square_named("b1"), 8},
                               {a1 + square_named("b2"), 15},
                               {a1 + square_named("b3"), 22},
                               {a1 + square_named("c2"), 23},
                               {square_named("a2") * 128 + square_named("a3"), 24},
                               {a1 + square_named("c4"), 0},
                               {square_named("h8") * 128 + square_named("f7"), 1792}};
    for (const auto& e : examples) EXPECT_EQ(move_index[e[0]], e[1]) << e[0];
    std::set<int> seen;
    for (int from = 0; from < 128; ++from)
        for (int to = 0; to < 128; ++to) {
            const int n = move_index[from * 128 + to], df = std::abs(to / 10 - from / 10);
            const bool knight = df * std::abs(to % 10 - from % 10) == 2;
            const bool joined = board(from) && board(to) && (line_step(from, to) != 0 || knight);
            ASSERT_EQ(n != 0, joined) << from << " " << to;
            ASSERT_TRUE(n == 0 || seen.insert(n).second) << n;
        }
    EXPECT_EQ(seen.size(), 1792u);
    EXPECT_EQ(*seen.rbegin(), 1792);
}

TEST(Tables, DirectionGivesTheStepAlongCommonLines)
{
    engine_init_for_tests();
    for (int a = 0; a < 100; ++a)
        for (int b = 0; b < 100; ++b)
            ASSERT_EQ(direction[a * 100 + b], board(a) && board(b) ? line_step(a, b) : 0);
}

TEST(Tables, BandStepEdgeAndDiagonalApproach)
{
    engine_init_for_tests();
    const int e5 = square_named("e5") * 100;
    const std::pair<const char*, int> steps[] = {{"d8", -1}, {"c6", 10}, {"d6", -1}, {"f4", 1},
                                                 {"d5", 10}, {"g7", 0},  {"e5", 0}};
    for (const auto& [s, step] : steps) EXPECT_EQ(band_step[e5 + square_named(s)], step) << s;
    const std::pair<const char*, int> edges[] = {{"d8", square_named("d8")},
                                                 {"c6", square_named("a6")},
                                                 {"d6", 0},
                                                 {"f2", square_named("f1")},
                                                 {"g7", 0}};
    for (const auto& [s, edge] : edges) EXPECT_EQ(band_edge[e5 + square_named(s)], edge) << s;
    EXPECT_EQ(diagonal_approach[square_named("e5") * 100 + square_named("h7")], 11);
    EXPECT_EQ(diagonal_approach[square_named("e5") * 100 + square_named("c6")], 0);
    EXPECT_EQ(diagonal_approach[square_named("a2") * 100 + square_named("d1")], 9);
}
