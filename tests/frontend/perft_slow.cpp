// Full-depth perft: every position of tests/data/perft.epd at the deepest depth listed for it,
// one test per line so that a failure names its position.
#include <gtest/gtest.h>

#include "perft_lines.h"

class PerftFile : public testing::TestWithParam<int> {};

TEST_P(PerftFile, DeepestListedDepth)
{
    const PerftLine line = perft_line(GetParam());
    ASSERT_FALSE(line.counts.empty()) << GetParam();
    expect_perft(line.fen, line.counts.back().first, line.counts.back().second);
}

INSTANTIATE_TEST_SUITE_P(Lines, PerftFile, testing::Range(1, PERFT_LINES + 1));
