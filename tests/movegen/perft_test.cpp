// Move-path counts of the reference positions in tests/data/perft.epd, counted with the
// generators as the search uses them (evasions in check) and make/unmake; small depths here,
// deeper ones in perft_slow.cpp.
#include <gtest/gtest.h>

#include <string>

#include "perft_cases.h"

namespace {

TEST(MovegenPerft, ReferenceCountsUpToTenThousandPaths)
{
    const auto cases = movegen_test::perft_cases(10000);
    ASSERT_GT(cases.size(), 300u);
    std::string current;
    for (const auto& c : cases) {
        if (c.fen != current) {  // counting leaves the position as it was: one set-up per line
            ASSERT_EQ(setup_fen(c.fen), 0) << c.fen;
            current = c.fen;
        }
        EXPECT_EQ(movegen_test::count_paths(c.depth), c.count) << c.fen << " depth " << c.depth;
    }
}

TEST(MovegenPerft, TheKnownLargestListHas218LegalMoves)
{
    ASSERT_EQ(setup_fen("3Q4/1Q4Q1/4Q3/2Q4R/Q4Q2/3Q4/1Q4Rp/1K1BBNNk w - - 0 1"), 0);
    EXPECT_EQ(movegen_test::count_paths(1), 218u);
    EXPECT_LE(ply_start[1], MAX_LIST_MOVES);
}

}  // namespace
