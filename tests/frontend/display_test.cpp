// The console's board drawing seen from Black, with partial castling rights and the en-passant
// line (the console session checks the initial board from White's side).
#include "frontend/display.h"

#include <gtest/gtest.h>

#include "frontend/commands.h"
#include "test_support.h"

TEST(BoardDisplay, FlippedWithCastlingAndEnPassantLines)
{
    ASSERT_EQ(setup_fen("4k2r/8/8/8/3pP3/8/8/R3K3 b Qk e3 0 1"), 0);
    board_orientation = 0;
    EXPECT_EQ(capture_stdout([] { affiche_echiquier(); }),
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

// The evaluation line of a special ending: the evaluation answers from the bit base (76) before
// publishing the pawn flags, which the lazy bounds read. White's: -100 and 10 for each of the
// three squares Black's king takes from e5's; Black's, without pieces: 800 more for the passed
// e4 pawn, -930.
TEST(EvaluationLine, LazyBoundsOfASpecialEnding)
{
    ASSERT_EQ(setup_fen("8/4k3/8/4K3/4P3/8/8/8 w - - 0 1"), 0);
    const std::string line = capture_stdout(print_evaluation_line);
    EXPECT_EQ(line.rfind("Eval {100 100 76} [ -130 ; -930 ]  SEE ( B 0 ; N 0 )  SK ( B ", 0), 0u)
        << line;
}
