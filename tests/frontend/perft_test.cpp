// Perft counts against published figures (every position of tests/data/perft.epd at the deepest
// depth whose count fits a node budget, plus five well-known deeper runs), the use of the
// evasion generator in check, the depth guard, and the report text with its timing figures.
#include "frontend/perft.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "core/board.h"
#include "core/makemove.h"
#include "test_support.h"

namespace {

const char* const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Leaf count of the current position; the position must come back unchanged.
uint64_t leaves(int depth)
{
    const Key96 key = pos()->hash_key;
    interior_nodes = leaf_nodes = 0;
    perft(depth, 0);
    EXPECT_TRUE(pos()->hash_key == key && ply == 0);
    return leaf_nodes;
}

}  // namespace

TEST(Perft, WellKnownDeeperCounts)
{
    const struct {
        const char* fen;
        int depth;
        uint64_t count;
    } cases[] = {
        {START, 5, 4865609},
        {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", 4, 4085603},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", 5, 674624},
        {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -", 4, 422333},
        {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 4, 2103487},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(setup_fen(c.fen), 0) << c.fen;
        EXPECT_EQ(leaves(c.depth), c.count) << c.fen;
    }
}

// The file in three parts of similar cost, so that a parallel test run can spread them. Each
// line runs at its deepest count within the budget, else at its shallowest one; counts beyond
// the limit are left to the slow suite.
class PerftFilePart : public testing::TestWithParam<std::pair<int, int>> {};

TEST_P(PerftFilePart, PublishedCounts)
{
    constexpr uint64_t LEAF_BUDGET = 4000000, SINGLE_COUNT_LIMIT = 100000000;
    std::ifstream in(std::string(QUARVELIN_TEST_DATA) + "/perft.epd");
    std::string text;
    int n = 0;
    for (; std::getline(in, text); ++n) {
        if (n + 1 < GetParam().first || n + 1 > GetParam().second) continue;
        int depth = 0;
        uint64_t count = 0;
        for (size_t at = text.find(";D"); at != std::string::npos; at = text.find(";D", at + 1)) {
            int d = 0;
            uint64_t c = 0;
            std::istringstream(text.substr(at + 2)) >> d >> c;
            if (depth == 0 || c <= LEAF_BUDGET) depth = d, count = c;
        }
        ASSERT_NE(depth, 0) << "line " << n + 1;
        if (count > SINGLE_COUNT_LIMIT) continue;
        const std::string fen = text.substr(0, text.find(';'));
        ASSERT_EQ(setup_fen(fen), 0) << "line " << n + 1;
        EXPECT_EQ(leaves(depth), count) << "line " << n + 1 << " depth " << depth << ": " << fen;
    }
    EXPECT_EQ(n, 168);
}

INSTANTIATE_TEST_SUITE_P(Lines, PerftFilePart,
                         testing::Values(std::make_pair(1, 131), std::make_pair(132, 165),
                                         std::make_pair(166, 168)));

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
    for (int depth : {0, -3, PERFT_MAX_DEPTH + 1}) {
        EXPECT_EQ(capture_stdout([&] { result = perft_driver(depth); }), "");
        EXPECT_EQ(result, -1) << depth;
    }
}
