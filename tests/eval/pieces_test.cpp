// Piece terms: hand-computed values of small positions for each routine (tests/data), with what
// they add to the mobility and penalty accumulators (never overwrite).
#include "eval/pieces.h"

#include <gtest/gtest.h>

#include "eval/pawns.h"
#include "test_support.h"

namespace {

int (*routine_named(const std::string& name))(int)
{
    if (name == "knights") return knight_terms;
    if (name == "bishops") return bishop_terms;
    return name == "rooks" ? rook_terms : queen_terms;
}

// Each routine adds to the accumulators: they start at 1000, 7 (White) and 3 (Black).
TEST(PieceTerms, HandComputedValuesAddedToTheAccumulators)
{
    const auto rows = data_rows("piece_terms.txt");
    ASSERT_GT(rows.size(), 15u);
    for (const auto& row : rows) {
        SCOPED_TRACE(row[2]);
        ASSERT_EQ(setup_fen(row[2]), 0);
        evaluation_pions();
        mobility_total = 1000;
        penalty[1] = 7;
        penalty[0] = 3;
        EXPECT_EQ(routine_named(row[0])(std::stoi(row[1])), std::stoi(row[3]));
        EXPECT_EQ(mobility_total, 1000 + std::stoi(row[4]));
        EXPECT_EQ(penalty[1], 7 + std::stoi(row[5]));
        EXPECT_EQ(penalty[0], 3 + std::stoi(row[6]));
    }
}

}  // namespace
