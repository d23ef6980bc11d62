// The console's board drawing in both orientations, its castling, en-passant and repetition
// lines.
#include "frontend/display.h"

#include <gtest/gtest.h>

#include "core/board.h"
#include "frontend/gameend.h"
#include "test_support.h"

namespace {

const char* const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

std::string board_text()
{
    return capture_stdout([] { affiche_echiquier(); });
}

class BoardDisplay : public testing::Test {
protected:
    void SetUp() override { engine_init_for_tests(); }
    void TearDown() override { board_orientation = 1; }
};

TEST_F(BoardDisplay, InitialPositionFromWhite)
{
    ASSERT_EQ(setup_fen(START), 0);
    EXPECT_EQ(board_text(),
              " █▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀█\n"
              "8█-R-N-B-Q-K-B-N-R █\n"
              "7█-P-P-P-P-P-P-P-P █\n"
              "6█ . . . . . . . . █\n"
              "5█ . . . . . . . . █\n"
              "4█ . . . . . . . . █\n"
              "3█ . . . . . . . . █\n"
              "2█ P P P P P P P P █\n"
              "1█ R N B Q K B N R █\n"
              " █▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄█\n"
              "   A B C D E F G H\n"
              "Blancs: o-o-o o-o / Noirs: o-o-o o-o\n");
}

TEST_F(BoardDisplay, FromBlackWithPartialRightsAndEnPassant)
{
    ASSERT_EQ(setup_fen("4k2r/8/8/8/3pP3/8/8/R3K3 b Qk e3 0 1"), 0);
    board_orientation = 0;
    EXPECT_EQ(board_text(),
              " █▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀█\n"
              "1█ . . . K . . . R █\n"
              "2█ . . . . . . . . █\n"
              "3█ . . . . . . . . █\n"
              "4█ . . . P-P . . . █\n"
              "5█ . . . . . . . . █\n"
              "6█ . . . . . . . . █\n"
              "7█ . . . . . . . . █\n"
              "8█-R . .-K . . . . █\n"
              " █▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄█\n"
              "   H G F E D C B A\n"
              "Blancs: o-o-o / Noirs: o-o\n"
              "En Passant: e3\n");
}

// Four reversible plies back the same position: shown as met twice, counted within the game
// only, whatever the root of a search says.
TEST_F(BoardDisplay, RepetitionCountUsesTheCurrentPlyAsRoot)
{
    ASSERT_EQ(setup_fen("4k3/8/8/8/8/8/8/4K3 w - - 0 1"), 0);
    for (int p = 1; p <= 4; ++p) etats[p] = etats[0];
    ply = 4;
    root_ply = 0;  // a search rooted here would already call this a draw
    const std::string text = board_text();
    ply = 0;
    // No castling rights and no en-passant square: nothing between the files and the count.
    EXPECT_NE(text.find("   A B C D E F G H\nPosition rencontree 2 fois\n"), std::string::npos);
    EXPECT_EQ(root_ply, 0);

    etats[4].hash_key.w[0] ^= 1;  // the current position differs from ply 0
    ply = 4;
    const std::string unrepeated = board_text();
    ply = 0;
    EXPECT_EQ(unrepeated.find("rencontree"), std::string::npos);
}

}  // namespace
