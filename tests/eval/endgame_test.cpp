// Endgame terms on hand-computed positions (tests/data): the drive towards an edge, king
// activity, passed pawns with and without enemy pieces, and the pawn-ending races.
#include "eval/endgame.h"

#include <gtest/gtest.h>

#include "eval/pawns.h"
#include "test_support.h"

namespace {

int (*term_named(const std::string& name))(int)
{
    if (name == "drive") return endgame_drive;
    if (name == "activity") return endgame_king_activity;
    if (name == "passed without pieces") return passed_pawns_no_pieces;
    if (name == "passed with pieces") return passed_pawns_with_pieces;
    return [](int) { return pawn_ending_term(); };
}

TEST(EndgameTerms, HandComputedPositions)
{
    const auto rows = data_rows("endgame_terms.txt");
    ASSERT_GT(rows.size(), 20u);
    for (const auto& row : rows) {
        ASSERT_EQ(setup_fen(row[2]), 0) << row[2];
        evaluation_pions();  // publishes the pawn flags, as the evaluation does first
        EXPECT_EQ(term_named(row[0])(std::stoi(row[1])), std::stoi(row[3])) << row[2];
    }
}

}  // namespace
