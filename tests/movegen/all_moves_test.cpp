// The list of all moves: its fixed order (king, queens, rooks, bishops, knights, pawns, en
// passant; lowest slot first; the step orders), promotions, en passant, castling rules and the
// per-ply bookkeeping of the ply start table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "movegen/movegen.h"
#include "movegen_helpers.h"
#include "test_support.h"

namespace {

using movegen_test::all_moves;
using movegen_test::texts;
using Texts = std::vector<std::string>;

// The king's entries of the list, in order.
Texts king_moves()
{
    Texts out;
    for (Move m : all_moves())
        if (move_piece(m) == KING) out.push_back(movegen_test::text(m));
    return out;
}

TEST(MovegenOrder, InitialPositionKnightsThenPawnsInSlotOrder)
{
    ASSERT_EQ(setup_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"), 0);
    const Texts expected = {"Nb1a3", "Nb1c3", "Ng1f3", "Ng1h3", "Pa2a3", "Pa2a4", "Pb2b3",
                            "Pb2b4", "Pc2c3", "Pc2c4", "Pd2d3", "Pd2d4", "Pe2e3", "Pe2e4",
                            "Pf2f3", "Pf2f4", "Pg2g3", "Pg2g4", "Ph2h3", "Ph2h4"};
    EXPECT_EQ(texts(all_moves()), expected);

    ASSERT_EQ(setup_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1"), 0);
    const Texts black = {"Nb8a6", "Nb8c6", "Ng8f6", "Ng8h6", "Pa7a6", "Pa7a5", "Pb7b6",
                         "Pb7b5", "Pc7c6", "Pc7c5", "Pd7d6", "Pd7d5", "Pe7e6", "Pe7e5",
                         "Pf7f6", "Pf7f5", "Pg7g6", "Pg7g5", "Ph7h6", "Ph7h5"};
    EXPECT_EQ(texts(all_moves()), black);
}

TEST(MovegenOrder, KingStepsSlidesAndCapturesInStepOrder)
{
    // Rook d4 slides +1 (to a capture), -1, +10 (stopped by its own pawn), -10; the king on h1
    // has only the steps that stay on the board.
    ASSERT_EQ(setup_fen("7k/8/3p4/8/3R1P2/8/8/7K w - - 0 1"), 0);
    const Texts expected = {"Kh1h2", "Kh1g2", "Kh1g1", "Rd4d5", "Rd4d6xP", "Rd4d3", "Rd4d2",
                            "Rd4d1", "Rd4e4", "Rd4c4", "Rd4b4", "Rd4a4", "Pf4f5"};
    EXPECT_EQ(texts(all_moves()), expected);
}

TEST(MovegenOrder, PieceTypesComeQueenRookBishopKnightPawnWhateverTheirSlots)
{
    // Slots follow the squares (a1 first), so the bishop and knight hold the lowest slots.
    ASSERT_EQ(setup_fen("k7/8/8/8/8/8/P7/BN1R2QK w - - 0 1"), 0);
    std::string groups;
    for (Move m : all_moves()) {
        const char letter = type_letters[move_piece(m)];
        if (groups.empty() || groups.back() != letter) groups += letter;
    }
    EXPECT_EQ(groups, "KQRBNP");
}

TEST(MovegenOrder, KingAvoidsAttackedSquaresAndNeverTakesADefendedPiece)
{
    // The knight on d2 is defended by the c3 pawn and covers f1; the bishop covers f2.
    ASSERT_EQ(setup_fen("4k3/8/8/8/7b/2p5/3n4/4K3 w - - 0 1"), 0);
    EXPECT_EQ(king_moves(), (Texts{"Ke1e2", "Ke1d1"}));
}

TEST(MovegenOrder, SeventhRankPawnGivesTwelvePromotionsPushFirstThenLowerFile)
{
    ASSERT_EQ(setup_fen("r1n1k3/1P6/8/8/8/8/8/4K3 w - - 0 1"), 0);
    const Texts expected = {"Ke1e2",     "Ke1d2",     "Ke1f2",     "Ke1d1",     "Ke1f1",
                            "Pb7b8=Q",   "Pb7b8=N",   "Pb7b8=R",   "Pb7b8=B",   "Pb7a8xR=Q",
                            "Pb7a8xR=N", "Pb7a8xR=R", "Pb7a8xR=B", "Pb7c8xN=Q", "Pb7c8xN=N",
                            "Pb7c8xN=R", "Pb7c8xN=B"};
    EXPECT_EQ(texts(all_moves()), expected);

    ASSERT_EQ(setup_fen("4k3/8/8/8/8/8/1p6/R1N1K3 b - - 0 1"), 0);
    const Texts black = {"Ke8e7",     "Ke8d7",     "Ke8f7",     "Ke8d8",     "Ke8f8",
                         "Pb2b1=Q",   "Pb2b1=N",   "Pb2b1=R",   "Pb2b1=B",   "Pb2a1xR=Q",
                         "Pb2a1xR=N", "Pb2a1xR=R", "Pb2a1xR=B", "Pb2c1xN=Q", "Pb2c1xN=N",
                         "Pb2c1xN=R", "Pb2c1xN=B"};
    EXPECT_EQ(texts(all_moves()), black);
}

TEST(MovegenOrder, BlockedPawnsAndDoubleStepsOnlyFromTheOwnStartRank)
{
    // a2, c2 and h2 are blocked (they may still capture), g2 is stopped after one step, a3 and
    // e3 are off their start rank.
    ASSERT_EQ(setup_fen("4k3/8/8/8/6n1/Pbp1P2p/P1P3PP/4K3 w - - 0 1"), 0);
    Texts pawns;
    for (Move m : all_moves())
        if (move_piece(m) == PAWN) pawns.push_back(movegen_test::text(m));
    EXPECT_EQ(pawns, (Texts{"Pa2b3xB", "Pa3a4", "Pc2b3xB", "Pe3e4", "Pg2g3", "Pg2h3xP"}));
}

TEST(MovegenOrder, EnPassantComesLastFromTheLowerFileFirst)
{
    ASSERT_EQ(setup_fen("4k3/8/8/3PpP2/8/8/8/4K3 w - e6 0 1"), 0);
    const Texts white = texts(all_moves());
    ASSERT_GE(white.size(), 4u);
    EXPECT_EQ(Texts(white.end() - 4, white.end()),
              (Texts{"Pd5d6", "Pf5f6", "Pd5e6", "Pf5e6"}));

    ASSERT_EQ(setup_fen("4k3/8/8/8/3pPp2/8/8/4K3 b - e3 0 1"), 0);
    const Texts black = texts(all_moves());
    ASSERT_GE(black.size(), 4u);
    EXPECT_EQ(Texts(black.end() - 4, black.end()),
              (Texts{"Pd4d3", "Pf4f3", "Pd4e3", "Pf4e3"}));
}

TEST(MovegenCastling, BothSidesRightAfterTheQuietStepNextToTheKing)
{
    ASSERT_EQ(setup_fen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"), 0);
    EXPECT_EQ(king_moves(),
              (Texts{"Ke1e2", "Ke1d2", "Ke1f2", "Ke1d1", "Ke1c1", "Ke1f1", "Ke1g1"}));
    const std::vector<Move> list = all_moves();
    EXPECT_EQ(list[4], make_move_word(SQ_E1, SQ_C1, KING));  // no other mark on castling

    ASSERT_EQ(setup_fen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1"), 0);
    EXPECT_EQ(king_moves(),
              (Texts{"Ke8e7", "Ke8d7", "Ke8f7", "Ke8d8", "Ke8c8", "Ke8f8", "Ke8g8"}));
}

TEST(MovegenCastling, RightsAndEmptySquaresAreRequired)
{
    ASSERT_EQ(setup_fen("4k3/8/8/8/8/8/8/R3K2R w K - 0 1"), 0);
    EXPECT_EQ(king_moves(), (Texts{"Ke1e2", "Ke1d2", "Ke1f2", "Ke1d1", "Ke1f1", "Ke1g1"}));
    // An occupied d1 removes the step and the castling behind it; an occupied b1 only the
    // castling.
    ASSERT_EQ(setup_fen("4k3/8/8/8/8/8/8/R2QK2R w KQ - 0 1"), 0);
    EXPECT_EQ(king_moves(), (Texts{"Ke1e2", "Ke1d2", "Ke1f2", "Ke1f1", "Ke1g1"}));
    ASSERT_EQ(setup_fen("4k3/8/8/8/8/8/8/RN2K2R w KQ - 0 1"), 0);
    EXPECT_EQ(king_moves(), (Texts{"Ke1e2", "Ke1d2", "Ke1f2", "Ke1d1", "Ke1f1", "Ke1g1"}));
    ASSERT_EQ(setup_fen("4k3/8/8/8/8/8/8/R3KN1R w KQ - 0 1"), 0);
    EXPECT_EQ(king_moves(), (Texts{"Ke1e2", "Ke1d2", "Ke1f2", "Ke1d1", "Ke1c1"}));
}

TEST(MovegenCastling, NotInCheckNorAcrossOrOntoAnAttackedSquare)
{
    ASSERT_EQ(setup_fen("4k3/4r3/8/8/8/8/8/R3K2R w KQ - 0 1"), 0);  // in check
    EXPECT_EQ(king_moves(), (Texts{"Ke1d2", "Ke1f2", "Ke1d1", "Ke1f1"}));
    ASSERT_EQ(setup_fen("4kr2/8/8/8/8/8/8/R3K2R w KQ - 0 1"), 0);  // f1 attacked
    EXPECT_EQ(king_moves(), (Texts{"Ke1e2", "Ke1d2", "Ke1d1", "Ke1c1"}));
    ASSERT_EQ(setup_fen("3rk3/8/8/8/8/8/8/R3K2R w KQ - 0 1"), 0);  // d1 attacked
    EXPECT_EQ(king_moves(), (Texts{"Ke1e2", "Ke1f2", "Ke1f1", "Ke1g1"}));
    ASSERT_EQ(setup_fen("4k1r1/8/8/8/8/8/8/R3K2R w KQ - 0 1"), 0);  // g1 attacked
    EXPECT_EQ(king_moves(), (Texts{"Ke1e2", "Ke1d2", "Ke1f2", "Ke1d1", "Ke1c1", "Ke1f1"}));
    ASSERT_EQ(setup_fen("2r1k3/8/8/8/8/8/8/R3K2R w KQ - 0 1"), 0);  // c1 attacked
    EXPECT_EQ(king_moves(), (Texts{"Ke1e2", "Ke1d2", "Ke1f2", "Ke1d1", "Ke1f1", "Ke1g1"}));
}

TEST(MovegenCastling, AttacksOnB1AndOnTheRooksDoNotMatter)
{
    ASSERT_EQ(setup_fen("1r2k2r/8/8/8/8/8/8/R3K2R w KQ - 0 1"), 0);
    EXPECT_EQ(king_moves(),
              (Texts{"Ke1e2", "Ke1d2", "Ke1f2", "Ke1d1", "Ke1c1", "Ke1f1", "Ke1g1"}));
    ASSERT_EQ(setup_fen("r3k2r/8/8/8/8/8/8/1R2K2R b kq - 0 1"), 0);
    EXPECT_EQ(king_moves(),
              (Texts{"Ke8e7", "Ke8d7", "Ke8f7", "Ke8d8", "Ke8c8", "Ke8f8", "Ke8g8"}));
}

TEST(MovegenOrder, ListsOfSeveralPliesFollowEachOtherAndCountCalls)
{
    ASSERT_EQ(setup_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"), 0);
    ply_start[0] = 0;
    genere_all_moves(0);
    ASSERT_EQ(ply_start[1], 20);
    const Move first = move_stack[0].move;
    const uint32_t calls = genere_calls;
    move_stack[25].score = 1234;  // scores belong to move ordering: left untouched
    genere_all_moves(1);
    EXPECT_EQ(ply_start[2], 40);
    EXPECT_EQ(move_stack[20].move, first);
    EXPECT_EQ(move_stack[25].score, 1234);
    EXPECT_EQ(genere_calls, calls + 1);
}

}  // namespace
