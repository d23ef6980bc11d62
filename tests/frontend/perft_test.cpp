// Perft counts against published figures (every position of tests/data/perft.epd at the
// deepest depth whose count fits a node budget, plus five well-known deeper runs), the use of
// the evasion generator in check, the depth guard, and the report text with its timing figures.
#include "frontend/perft.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "core/board.h"
#include "core/makemove.h"
#include "test_support.h"

namespace {

const char* const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Largest published count the default suite runs per position of the EPD file; a position
// listed only with larger counts runs at its shallowest one unless that exceeds the limit.
constexpr uint64_t LEAF_BUDGET = 4000000;
constexpr uint64_t SINGLE_COUNT_LIMIT = 100000000;

uint32_t leaves(int depth)
{
    interior_nodes = 0;
    leaf_nodes = 0;
    perft(depth, 0);
    return leaf_nodes;
}

struct PerftLine {
    int line;
    std::string fen;
    std::vector<std::pair<int, uint64_t>> counts;  // (depth, leaf count)
};

std::vector<PerftLine> read_perft_file()
{
    std::ifstream in(std::string(QUARVELIN_TEST_DATA) + "/perft.epd");
    std::vector<PerftLine> lines;
    std::string text;
    for (int n = 1; std::getline(in, text); ++n) {
        PerftLine p{n, text.substr(0, text.find(';')), {}};
        for (size_t at = text.find(";D"); at != std::string::npos; at = text.find(";D", at + 1)) {
            std::istringstream field(text.substr(at + 2));
            int depth = 0;
            uint64_t count = 0;
            field >> depth >> count;
            p.counts.emplace_back(depth, count);
        }
        lines.push_back(p);
    }
    return lines;
}

TEST(Perft, WellKnownDeeperCounts)
{
    struct Case {
        const char* fen;
        int depth;
        uint32_t count;
    };
    const Case cases[] = {
        {START, 5, 4865609},
        {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", 4, 4085603},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", 5, 674624},
        {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -", 4, 422333},
        {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 4, 2103487},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(setup_fen(c.fen), 0) << c.fen;
        EXPECT_EQ(leaves(c.depth), c.count) << c.fen;
    }
}

// The file in three parts of similar cost, so that a parallel test run can spread them.
class PerftFilePart : public testing::TestWithParam<std::pair<int, int>> {};

TEST_P(PerftFilePart, PublishedCounts)
{
    const std::vector<PerftLine> lines = read_perft_file();
    ASSERT_EQ(lines.size(), 168u);
    const auto [first, last] = GetParam();
    for (int n = first; n <= last; ++n) {
        const PerftLine& p = lines[n - 1];
        ASSERT_FALSE(p.counts.empty()) << "line " << p.line;
        // The deepest count within the budget, else the shallowest one listed.
        std::pair<int, uint64_t> chosen = p.counts.front();
        for (const auto& c : p.counts)
            if (c.second <= LEAF_BUDGET) chosen = c;
        if (chosen.second > SINGLE_COUNT_LIMIT) continue;  // left to the slow suite
        ASSERT_EQ(setup_fen(p.fen), 0) << "line " << p.line;
        const Key96 key = etats[ply].hash_key;
        EXPECT_EQ(leaves(chosen.first), chosen.second)
            << "line " << p.line << " depth " << chosen.first << ": " << p.fen;
        EXPECT_TRUE(etats[ply].hash_key == key) << "line " << p.line;
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, PerftFilePart,
                         testing::Values(std::make_pair(1, 131), std::make_pair(132, 165),
                                         std::make_pair(166, 168)));

TEST(Perft, InCheckOnlyEvasionsAreTried)
{
    // Three king steps answer the rook; the pawn pushes are never made.
    ASSERT_EQ(setup_fen("4k3/4r3/8/8/8/8/3P4/4K3 w - - 0 1"), 0);
    make_move_calls = 0;
    EXPECT_EQ(leaves(1), 3u);
    EXPECT_EQ(make_move_calls, 3u);
}

TEST(Perft, DriverReportTextAndRate)
{
    ASSERT_EQ(setup_fen(START), 0);
    const Key96 key = etats[ply].hash_key;
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
    EXPECT_TRUE(etats[ply].hash_key == key);
    EXPECT_EQ(ply, 0);
}

TEST(Perft, DriverRefusesDepthsItCannotHold)
{
    ASSERT_EQ(setup_fen(START), 0);
    for (int depth : {0, -3, PERFT_MAX_DEPTH + 1}) {
        int result = 0;
        EXPECT_EQ(capture_stdout([&] { result = perft_driver(depth); }), "");
        EXPECT_EQ(result, -1) << depth;
    }
}

}  // namespace
