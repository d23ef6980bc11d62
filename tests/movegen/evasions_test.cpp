// The evasion generator: king steps with the square behind the king marked on a sliding
// checker's line, double check, captures of the checker, interpositions in order, pawn blocks
// and en passant; `attaques` must be unchanged afterwards.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/board.h"
#include "movegen/movegen.h"
#include "movegen_helpers.h"
#include "test_support.h"

namespace {

using movegen_test::evasions;
using movegen_test::texts;
using Texts = std::vector<std::string>;

// Evasions, checking on the way that the x-ray marks were all taken back.
Texts checked_evasions()
{
    uint32_t before[2][BOARD_SIZE];
    std::memcpy(before, attaques, sizeof before);
    const Texts out = texts(evasions());
    EXPECT_EQ(std::memcmp(before, attaques, sizeof before), 0) << "attaques changed";
    return out;
}

TEST(MovegenEvasions, KingCannotStepBackAlongTheCheckingFile)
{
    ASSERT_EQ(setup_fen("4r2k/8/8/8/8/8/4K3/8 w - - 0 1"), 0);
    ASSERT_TRUE(in_check());
    EXPECT_EQ(checked_evasions(),
              (Texts{"Ke2d3", "Ke2f3", "Ke2d1", "Ke2f1", "Ke2d2", "Ke2f2"}));
    // The generator of all moves does not see the square behind the king as attacked.
    bool back_step = false;
    for (Move m : movegen_test::all_moves())
        back_step |= movegen_test::text(m) == "Ke2e1";
    EXPECT_TRUE(back_step);
}

TEST(MovegenEvasions, SingleSlidingCheckCaptureThenBlocksNearestTheCheckerFirst)
{
    ASSERT_EQ(setup_fen("4r2k/8/R7/7B/1BN5/8/4K3/8 w - - 0 1"), 0);
    const Texts expected = {"Ke2d3",   "Ke2f3", "Ke2d1", "Ke2f1", "Ke2d2", "Ke2f2",
                            "Bh5e8xR", "Bb4e7", "Ra6e6", "Nc4e5", "Nc4e3"};
    EXPECT_EQ(checked_evasions(), expected);
}

TEST(MovegenEvasions, PawnsBlockByPushOrByDoubleStepOverAnEmptySquare)
{
    // Bishop a5 checks along b4, c3, d2.
    ASSERT_EQ(setup_fen("4k3/8/8/b7/8/8/1PP5/4K3 w - - 0 1"), 0);
    EXPECT_EQ(checked_evasions(),
              (Texts{"Ke1e2", "Ke1f2", "Ke1d1", "Ke1f1", "Pb2b4", "Pc2c3"}));
    // A knight on b3 takes the checker and blocks on d2, and stops the double step.
    ASSERT_EQ(setup_fen("4k3/8/8/b7/8/1N6/1PP5/4K3 w - - 0 1"), 0);
    EXPECT_EQ(checked_evasions(),
              (Texts{"Ke1e2", "Ke1f2", "Ke1d1", "Ke1f1", "Nb3a5xB", "Pc2c3", "Nb3d2"}));
    // Black blocks the same way in the other direction.
    ASSERT_EQ(setup_fen("4k3/1pp5/1n6/8/B7/8/8/4K3 b - - 0 1"), 0);
    EXPECT_EQ(checked_evasions(),
              (Texts{"Ke8e7", "Ke8f7", "Ke8d8", "Ke8f8", "Nb6a4xB", "Pc7c6", "Nb6d7"}));
}

TEST(MovegenEvasions, DoubleCheckGivesOnlyKingMovesIncludingTakingTheChecker)
{
    // Rook e2 and bishop b4 both check; the knight and rook could take a checker in single
    // check, but only the king moves now.
    ASSERT_EQ(setup_fen("4k3/8/8/3N4/1b6/8/R3r3/4K3 w - - 0 1"), 0);
    EXPECT_EQ(checked_evasions(), (Texts{"Ke1e2xR", "Ke1d1", "Ke1f1"}));
}

TEST(MovegenEvasions, KnightCheckHasNoInterpositions)
{
    ASSERT_EQ(setup_fen("4k3/8/8/8/8/3n4/8/R2QK3 w - - 0 1"), 0);
    EXPECT_EQ(checked_evasions(), (Texts{"Ke1e2", "Ke1d2", "Ke1f1", "Qd1d3xN"}));
}

TEST(MovegenEvasions, PawnThatJustDoubleSteppedCanBeTakenEnPassant)
{
    ASSERT_EQ(setup_fen("4k3/8/8/3pP3/4K3/8/8/8 w - d6 0 1"), 0);
    EXPECT_EQ(checked_evasions(), (Texts{"Ke4d5xP", "Ke4f5", "Ke4e3", "Ke4d3", "Ke4f3", "Ke4d4",
                                         "Ke4f4", "Pe5d6"}));
}

TEST(MovegenEvasions, PawnTakingTheCheckerOnTheLastRankPromotes)
{
    ASSERT_EQ(setup_fen("2r4K/1P6/8/8/8/8/8/k7 w - - 0 1"), 0);
    EXPECT_EQ(checked_evasions(), (Texts{"Kh8h7", "Kh8g7", "Pb7c8xR=Q", "Pb7c8xR=N", "Pb7c8xR=R",
                                         "Pb7c8xR=B"}));
}

TEST(MovegenEvasions, SetsTheNextPlyStartAndCountsCalls)
{
    ASSERT_EQ(setup_fen("4r2k/8/8/8/8/8/4K3/8 w - - 0 1"), 0);
    ply_start[3] = 500;
    const uint32_t calls = evasions_calls;
    genere_evasions(3);
    EXPECT_EQ(ply_start[4], 506);
    EXPECT_EQ(evasions_calls, calls + 1);
}

}  // namespace
