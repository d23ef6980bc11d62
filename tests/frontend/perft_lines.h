// The lines of tests/data/perft.epd, each a position and its published leaf counts by depth, and
// the check of one count, after which the position must be as it was.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/board.h"
#include "frontend/perft.h"
#include "test_support.h"

constexpr int PERFT_LINES = 168;

struct PerftLine {
    std::string fen;
    std::vector<std::pair<int, uint64_t>> counts;  // depth and count, shallowest first
};

// Line n of the file, counted from 1; no counts past its end.
inline PerftLine perft_line(int n)
{
    std::ifstream in(QUARVELIN_TEST_DATA "/perft.epd");
    std::string text;
    for (int i = 1; i <= n; ++i)
        if (!std::getline(in, text)) return {};
    PerftLine line{text.substr(0, text.find(';')), {}};
    for (size_t at = text.find(";D"); at != std::string::npos; at = text.find(";D", at + 1)) {
        std::pair<int, uint64_t> c;
        std::istringstream(text.substr(at + 2)) >> c.first >> c.second;
        line.counts.push_back(c);
    }
    return line;
}

inline void expect_perft(const std::string& fen, int depth, uint64_t count)
{
    ASSERT_EQ(setup_fen(fen), 0) << fen;
    const Key96 key = pos()->hash_key;
    interior_nodes = leaf_nodes = 0;
    perft(depth, 0);
    EXPECT_EQ(leaf_nodes, count) << "depth " << depth << ": " << fen;
    EXPECT_TRUE(pos()->hash_key == key && ply == 0);  // the position comes back unchanged
}
