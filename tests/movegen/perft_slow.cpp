// Deeper move-path counts of the reference positions: every count up to a million paths.
#include <gtest/gtest.h>

#include <string>

#include "perft_cases.h"

namespace {

TEST(MovegenPerftSlow, ReferenceCountsUpToAMillionPaths)
{
    const auto cases = movegen_test::perft_cases(1000000);
    ASSERT_GT(cases.size(), 600u);
    std::string current;
    for (const auto& c : cases) {
        if (c.fen != current) {
            ASSERT_EQ(setup_fen(c.fen), 0) << c.fen;
            current = c.fen;
        }
        EXPECT_EQ(movegen_test::count_paths(c.depth), c.count) << c.fen << " depth " << c.depth;
    }
}

}  // namespace
