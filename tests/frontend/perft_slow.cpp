// Full-depth perft: every position of tests/data/perft.epd at the deepest depth listed for it
// (one test per line, so a failure names its position): the initial position to depth 6,
// the castling-rich middle game to depth 5 and every other published count.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "core/board.h"
#include "frontend/perft.h"
#include "test_support.h"

namespace {

constexpr int PERFT_FILE_LINES = 168;

uint32_t leaves(int depth)
{
    interior_nodes = 0;
    leaf_nodes = 0;
    perft(depth, 0);
    return leaf_nodes;
}

// Line n (from 1) of the file: its FEN and its deepest (depth, count) pair.
bool read_line(int n, std::string& fen, int& depth, uint64_t& count)
{
    std::ifstream in(std::string(QUARVELIN_TEST_DATA) + "/perft.epd");
    std::string text;
    for (int i = 0; i < n; ++i)
        if (!std::getline(in, text)) return false;
    fen = text.substr(0, text.find(';'));
    const size_t last = text.rfind(";D");
    if (last == std::string::npos) return false;
    std::istringstream(text.substr(last + 2)) >> depth >> count;
    return true;
}

class PerftFile : public testing::TestWithParam<int> {};

TEST_P(PerftFile, DeepestListedDepth)
{
    std::string fen;
    int depth = 0;
    uint64_t count = 0;
    ASSERT_TRUE(read_line(GetParam(), fen, depth, count)) << "line " << GetParam();
    ASSERT_EQ(setup_fen(fen), 0) << fen;
    const Key96 key = etats[ply].hash_key;
    EXPECT_EQ(leaves(depth), count) << "depth " << depth << ": " << fen;
    EXPECT_TRUE(etats[ply].hash_key == key);
}

INSTANTIATE_TEST_SUITE_P(Lines, PerftFile, testing::Range(1, PERFT_FILE_LINES + 1));

}  // namespace
