// Full-depth perft: every position of tests/data/perft.epd at the deepest depth listed for it,
// one test per line so that a failure names its position.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "core/board.h"
#include "frontend/perft.h"
#include "test_support.h"

class PerftFile : public testing::TestWithParam<int> {};

TEST_P(PerftFile, DeepestListedDepth)
{
    std::ifstream in(std::string(QUARVELIN_TEST_DATA) + "/perft.epd");
    std::string text;
    for (int i = 0; i < GetParam(); ++i) ASSERT_TRUE(std::getline(in, text)) << GetParam();
    const size_t last = text.rfind(";D");
    ASSERT_NE(last, std::string::npos) << text;
    int depth = 0;
    uint64_t count = 0;
    std::istringstream(text.substr(last + 2)) >> depth >> count;
    const std::string fen = text.substr(0, text.find(';'));
    ASSERT_EQ(setup_fen(fen), 0) << fen;
    const Key96 key = pos()->hash_key;
    interior_nodes = leaf_nodes = 0;
    perft(depth, 0);
    EXPECT_EQ(leaf_nodes, count) << "depth " << depth << ": " << fen;
    EXPECT_TRUE(pos()->hash_key == key);
}

INSTANTIATE_TEST_SUITE_P(Lines, PerftFile, testing::Range(1, 169));
