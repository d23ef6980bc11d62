// The static tests of the search on hand-built positions: hanging-piece margins at their exact
// boundaries and queen contact mates (supported, pinned, x-rayed), each also colour-mirrored
// (tests/data), safe-move counting over a hand-written list, and the removal of big captures
// from the move stack.
#include "search/statictests.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "core/board.h"
#include "movegen/movegen.h"
#include "movegen/notation.h"
#include "test_support.h"

namespace {

// Runs probe() on the position and on its colour-mirrored twin; both must give `want`.
template <typename Probe>
void expect_both_colours(const char* fen, Probe probe, bool want)
{
    for (bool twin : {false, true}) {
        ASSERT_EQ(setup_fen(twin ? colour_mirrored_fen(fen) : fen), 0);
        EXPECT_EQ(probe(), want) << fen << (twin ? " mirrored" : "");
    }
}

TEST(StaticTests, PieceThreatMarginsAndQueenContactMates)
{
    const auto rows = data_rows("static_tests.txt");
    ASSERT_GT(rows.size(), 8u);
    for (const auto& row : rows) {
        if (row[0] == "mate") {
            expect_both_colours(
                row[1].c_str(), [] { return queen_contact_mate(trait) != 0; }, row[2] == "yes");
            continue;
        }
        for (int m : {std::stoi(row[2]), std::stoi(row[2]) + 1})
            expect_both_colours(
                row[1].c_str(), [&] { return piece_threat(trait, m); }, m == std::stoi(row[2]));
    }
}

TEST(StaticTests, EnoughSafeMovesNeedsEightMovesByTwoPieces)
{
    ASSERT_EQ(setup_fen("6k1/8/8/8/3Q4/8/8/6K1 w - - 0 1"), 0);
    const char* queen[] = {"d4d5", "d4d6", "d4d7", "d4d3", "d4d2", "d4d1", "d4c4", "d4b4"};
    ply_start[5] = 100;
    int w = 100;
    for (const char* m : queen) move_stack[w++].move = text_to_move(m);
    ply_start[6] = w;
    EXPECT_FALSE(enough_safe_moves(5, 0));  // eight moves, one mover
    move_stack[w - 1].move = text_to_move("g1h2");
    EXPECT_TRUE(enough_safe_moves(5, 0));
    ply_start[6] = w - 1;
    EXPECT_FALSE(enough_safe_moves(5, 0));  // seven moves
}

TEST(StaticTests, DropBigCapturesKeepsQuietAndSmallCaptures)
{
    const Move quiet = make_move_word(52, 54, PAWN), ep = make_move_word(55, 66, PAWN);
    const Move qxq = make_move_word(51, 58, QUEEN, QUEEN), pxp = make_move_word(54, 65, PAWN, PAWN);
    auto kept = [&](int threshold) {
        const Move list[] = {qxq, quiet, qxq, ep, pxp};
        for (int i = 0; i < 5; ++i) move_stack[200 + i].move = list[i];
        const int end = drop_big_captures(200, 205, threshold);
        std::multiset<Move> out;
        for (int i = 200; i < end; ++i) out.insert(move_stack[i].move);
        return out;
    };
    EXPECT_EQ(kept(101), (std::multiset<Move>{quiet, ep, pxp}));
    EXPECT_EQ(kept(0), (std::multiset<Move>{quiet, ep}));  // en passant carries no victim type
    EXPECT_EQ(kept(951).size(), 5u);
}

}  // namespace
