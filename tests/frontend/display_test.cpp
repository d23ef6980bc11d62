// The console's board drawing in both orientations, with its castling and en-passant lines.
#include "frontend/display.h"

#include <gtest/gtest.h>

#include "core/board.h"
#include "test_support.h"

namespace {

std::string board_text()
{
    return capture_stdout([] { affiche_echiquier(); });
}

}  // namespace

TEST(BoardDisplay, BothOrientations)
{
    ASSERT_EQ(setup_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"), 0);
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
    board_orientation = 1;
}
