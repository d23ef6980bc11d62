// Perft counts against published figures (every position of tests/data/perft.epd at the deepest
// depth whose count fits a node budget; the slow suite runs the deepest ones), the depth guard,
// and the report text with its timing figures.
#include "frontend/perft.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <string>

#include "core/board.h"
#include "perft_lines.h"
#include "test_support.h"

// The file in three parts of similar cost, so that a parallel test run can spread them. Each
// line runs at its deepest count within the budget, else at its shallowest one; counts beyond
// the limit are left to the slow suite.
class PerftFilePart : public testing::TestWithParam<std::pair<int, int>> {};

TEST_P(PerftFilePart, PublishedCounts)
{
    constexpr uint64_t LEAF_BUDGET = 4000000, SINGLE_COUNT_LIMIT = 100000000;
    for (int n = GetParam().first; n <= GetParam().second; ++n) {
        const PerftLine line = perft_line(n);
        ASSERT_FALSE(line.counts.empty()) << "line " << n;
        auto [depth, count] = line.counts[0];
        for (const auto& [d, c] : line.counts)
            if (c <= LEAF_BUDGET) depth = d, count = c;
        if (count <= SINGLE_COUNT_LIMIT) expect_perft(line.fen, depth, count);
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, PerftFilePart,
                         testing::Values(std::make_pair(1, 131), std::make_pair(132, 165),
                                         std::make_pair(166, PERFT_LINES)));

TEST(Perft, DriverReportTextRateAndDepthGuard)
{
    ASSERT_EQ(setup_fen(START), 0);
    int result = -2;
    const std::string out = capture_stdout([&] { result = perft_driver(3); });
    EXPECT_EQ(result, 0);
    // Three plies from the start hold no pin and no check: every move made is legal.
    const std::string rule(75, '-');
    const std::regex expected(
        rule + "\nBuilding the entire search tree to depth 3 : ([0-9]+) ms\n" + rule +
        "\n       420 interior nodes\n      8902 leaf nodes\n"
        "      9322 nodes\n      9322 moves\n"
        " *([0-9]{1,10}|inf) moves / s\n" +
        rule + "\n");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(out, m, expected)) << out;
    const double ms = std::stod(m[1]);
    if (ms > 0) {
        EXPECT_NEAR(std::stod(m[2]), 9322 / (ms * double{0.001f}), 1.0) << out;
    }
    EXPECT_EQ(ply, 0);
    for (int depth : {0, -3}) {
        EXPECT_EQ(capture_stdout([&] { result = perft_driver(depth); }), "");
        EXPECT_EQ(result, -1) << depth;
    }
    // Too deep a tree is refused with the deepest one allowed.
    EXPECT_EQ(capture_stdout([&] { result = perft_driver(40); }),
              "Profondeur 40 trop grande (au plus 32)\n");
    EXPECT_EQ(result, -1);
}

// Deep runs pass 2^32 paths (the published depth-6 counts of busy middle games do): the
// counters must carry past 32 bits.
TEST(Perft, CountersCarryPastThirtyTwoBits)
{
    ASSERT_EQ(setup_fen(START), 0);
    interior_nodes = leaf_nodes = UINT32_MAX;
    perft(2, 0);
    EXPECT_EQ(leaf_nodes, uint64_t{UINT32_MAX} + 400);
    EXPECT_EQ(interior_nodes, uint64_t{UINT32_MAX} + 1 + 20);
}
