// make_move and unmake_move on hand-built moves that random play rarely meets (tests/data): the
// record after the move passes the consistency check, the take-back restores it bit for bit, and
// the ply-record fields the check does not rebuild (castling rights, en-passant square, counters)
// come out right.
#include "core/makemove.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/board.h"
#include "core/position_snapshot.h"
#include "movegen/notation.h"
#include "test_support.h"

TEST(MakeMove, RareLinesAndCastlingRightsTakenBackBitForBit)
{
    const auto rows = data_rows("make_unmake.txt");
    ASSERT_GT(rows.size(), 15u);
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0] + "  " + row[1]);
        ASSERT_EQ(setup_fen(row[0]), 0);
        const Move m = text_to_move(row[1].c_str());
        const PositionSnapshot before = take_snapshot();
        make_move(m);
        EXPECT_EQ(consistency_errors(), "");
        if (row[2] != "-") {
            EXPECT_EQ(pos()->roque, uint32_t(std::stoi(row[2])));
        }
        unmake_move(m);
        EXPECT_EQ(first_difference(before, take_snapshot()), "");
    }
}

TEST(MakeMove, EnPassantSquareOnlyWhenAPawnCanTakeThere)
{
    ASSERT_EQ(setup_fen(START), 0);
    std::vector<Move> played;
    for (const char* text : {"e2e4", "d7d5", "e4e5", "f7f5"}) {
        played.push_back(text_to_move(text));
        make_move(played.back());
        EXPECT_TRUE(ply != 1 || pos()->case_ep == 0);  // no black pawn beside e4
    }
    const int f6 = square_named("f6");
    EXPECT_EQ(pos()->case_ep, static_cast<uint32_t>(f6));
    EXPECT_EQ(consistency_errors(), "");  // the en-passant key included
    played.push_back(text_to_move("e5f6"));
    EXPECT_EQ(move_captured(played.back()), 0);
    make_move(played.back());
    EXPECT_EQ(echiquier[square_named("f5")], EMPTY);
    EXPECT_EQ(pos()->case_ep, 0u);
    EXPECT_EQ(pos()->irreversible, 5);
    for (auto m = played.rbegin(); m != played.rend(); ++m) unmake_move(*m);
    EXPECT_EQ(ply, 0);
}
