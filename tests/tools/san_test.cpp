// Algebraic notation read against real positions (tests/data/san.txt): disambiguation by file
// and rank, a pinned piece that does not count, en passant, promotions, castling, marks, and the
// texts that name no move, an illegal one or more than one.
#include "tools/san.h"

#include <gtest/gtest.h>

#include "core/board.h"
#include "movegen/notation.h"
#include "test_support.h"

TEST(San, TextsReadAgainstThePosition)
{
    const auto rows = data_rows("san.txt");
    ASSERT_GT(rows.size(), 30u);
    for (const auto& row : rows) {
        ASSERT_EQ(setup_fen(row[0]), 0) << row[0];
        Move m = 0;
        const SanResult r = san_to_move(row[1].c_str(), &m);
        const SanResult want = row[2] == "illegal"      ? SanResult::ILLEGAL
                               : row[2] == "unreadable" ? SanResult::UNREADABLE
                               : row[2] == "ambiguous"  ? SanResult::AMBIGUOUS
                                                        : SanResult::OK;
        EXPECT_EQ(r, want) << row[1];
        EXPECT_TRUE(want != SanResult::OK || m == text_to_move(row[2].c_str())) << row[1];
        EXPECT_EQ(ply, 0) << row[1];
    }
}
