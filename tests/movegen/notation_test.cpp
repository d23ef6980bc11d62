// Move text both ways and the legality test of typed moves: disambiguation by attack masks,
// pawn, castling and null-move texts, the coordinate parser's rules, and legality in check.
#include <gtest/gtest.h>

#include <string>

#include "core/board.h"
#include "core/tables.h"
#include "movegen/notation.h"
#include "test_support.h"

namespace {

constexpr int sq(const char* name) { return square_of(name[0] - 'a' + 1, name[1] - '0'); }

Move mv(const char* from, const char* to, int piece, int captured = 0, int promotion = 0)
{
    return make_move_word(sq(from), sq(to), piece, captured, promotion);
}

std::string short_text(Move m) { return move_to_text(m, true); }
std::string long_text(Move m) { return move_to_text(m, false); }

TEST(NotationText, KnightsOnDifferentFilesAddTheFileLetter)
{
    ASSERT_EQ(setup_fen("4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1"), 0);
    EXPECT_EQ(short_text(mv("b1", "d2", KNIGHT)), "Nbd2");
    EXPECT_EQ(short_text(mv("f3", "d2", KNIGHT)), "Nfd2");
    EXPECT_EQ(long_text(mv("b1", "d2", KNIGHT)), "Nb1d2");
    // Only one knight reaches a3 or h4: nothing is added.
    EXPECT_EQ(short_text(mv("b1", "a3", KNIGHT)), "Na3");
    EXPECT_EQ(short_text(mv("f3", "h4", KNIGHT)), "Nh4");
}

TEST(NotationText, KnightsOnOneFileAddTheRankDigit)
{
    ASSERT_EQ(setup_fen("4k3/8/8/8/8/1N6/8/1N2K3 w - - 0 1"), 0);
    EXPECT_EQ(short_text(mv("b1", "d2", KNIGHT)), "N1d2");
    EXPECT_EQ(short_text(mv("b3", "d2", KNIGHT)), "N3d2");
}

TEST(NotationText, CandidatesSharingFileAndRankGiveTheWholeSquare)
{
    ASSERT_EQ(setup_fen("4k3/8/8/8/8/Q7/8/Q1Q1K3 w - - 0 1"), 0);
    EXPECT_EQ(short_text(mv("a1", "b2", QUEEN)), "Qa1b2");
    // c1: the a1 queen shares its rank only, so the file letter suffices.
    EXPECT_EQ(short_text(mv("c1", "b2", QUEEN)), "Qcb2");
    // a3: the a1 queen shares its file only.
    EXPECT_EQ(short_text(mv("a3", "b2", QUEEN)), "Q3b2");
}

TEST(NotationText, PinnedPieceStillCountsAndCapturesCarryTheX)
{
    // The f3 knight is pinned against g2 by the d5 bishop yet still disambiguates.
    ASSERT_EQ(setup_fen("4k3/8/8/3b4/8/5N2/3n2K1/1N6 w - - 0 1"), 0);
    EXPECT_EQ(short_text(mv("b1", "d2", KNIGHT, KNIGHT)), "Nbxd2");
    EXPECT_EQ(long_text(mv("b1", "d2", KNIGHT, KNIGHT)), "Nb1xd2");
    EXPECT_EQ(is_legal_move(mv("b1", "d2", KNIGHT, KNIGHT)), 1);
    EXPECT_EQ(is_legal_move(mv("f3", "d2", KNIGHT, KNIGHT)), 0);
}

TEST(NotationText, DisambiguationLooksAtTheSideToMove)
{
    ASSERT_EQ(setup_fen("1n2k3/8/5n2/8/8/5N2/8/1N2K3 b - - 0 1"), 0);
    EXPECT_EQ(short_text(mv("b8", "d7", KNIGHT)), "Nbd7");
    EXPECT_EQ(long_text(mv("f6", "d7", KNIGHT)), "Nf6d7");
}

TEST(NotationText, PawnMovesEnPassantAndPromotions)
{
    EXPECT_EQ(short_text(mv("e2", "e4", PAWN)), "e4");
    EXPECT_EQ(long_text(mv("e2", "e4", PAWN)), "e4");
    EXPECT_EQ(short_text(mv("e4", "d5", PAWN, PAWN)), "exd5");
    EXPECT_EQ(long_text(mv("e4", "d5", PAWN, PAWN)), "e4xd5");
    EXPECT_EQ(short_text(mv("e5", "d6", PAWN)), "exd6/ep");
    EXPECT_EQ(long_text(mv("e5", "d6", PAWN)), "e5xd6/ep");
    EXPECT_EQ(long_text(mv("c4", "b3", PAWN)), "c4xb3/ep");  // a black capture
    EXPECT_EQ(short_text(mv("e7", "e8", PAWN, 0, QUEEN)), "e8=Q");
    EXPECT_EQ(long_text(mv("e7", "e8", PAWN, 0, QUEEN)), "e8=Q");
    EXPECT_EQ(short_text(mv("e7", "d8", PAWN, ROOK, KNIGHT)), "exd8=N");
    EXPECT_EQ(long_text(mv("e7", "d8", PAWN, ROOK, KNIGHT)), "e7xd8=N");
    EXPECT_EQ(long_text(mv("b2", "a1", PAWN, BISHOP, ROOK)), "b2xa1=R");
    EXPECT_EQ(short_text(mv("g2", "g1", PAWN, 0, BISHOP)), "g1=B");
}

TEST(NotationText, KingMovesCastlingAndTheNullMove)
{
    ASSERT_EQ(setup_fen("r3k2r/8/8/8/8/8/3p4/R3K2R w KQkq - 0 1"), 0);
    EXPECT_EQ(short_text(mv("e1", "g1", KING)), "O-O");
    EXPECT_EQ(long_text(mv("e1", "c1", KING)), "O-O-O");
    EXPECT_EQ(long_text(mv("e8", "g8", KING)), "O-O");
    EXPECT_EQ(short_text(mv("e8", "c8", KING)), "O-O-O");
    EXPECT_EQ(short_text(mv("e1", "f2", KING)), "Kf2");
    EXPECT_EQ(long_text(mv("e1", "f2", KING)), "Ke1f2");
    EXPECT_EQ(short_text(mv("e1", "d2", KING, PAWN)), "Kxd2");
    EXPECT_EQ(long_text(mv("e1", "d2", KING, PAWN)), "Ke1xd2");
    EXPECT_EQ(short_text(NULL_MOVE), "//");
    EXPECT_EQ(long_text(NULL_MOVE), "//");
}

TEST(NotationParse, CoordinateTextGivesTheGeneratedWord)
{
    ASSERT_EQ(setup_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"), 0);
    EXPECT_EQ(text_to_move("e2e4"), mv("e2", "e4", PAWN));
    EXPECT_EQ(text_to_move("E2E4"), mv("e2", "e4", PAWN));
    EXPECT_EQ(text_to_move("g1f3"), mv("g1", "f3", KNIGHT));
    EXPECT_EQ(is_legal_move(text_to_move("E2E4")), 1);
    EXPECT_EQ(is_legal_move(text_to_move("e2e5")), 0);
    // The types are read from the board, whatever stands there.
    EXPECT_EQ(text_to_move("d1d8"), mv("d1", "d8", QUEEN, QUEEN));
    EXPECT_EQ(text_to_move("e4e5"), mv("e4", "e5", NO_TYPE));
}

TEST(NotationParse, MalformedTextGivesZero)
{
    ASSERT_EQ(setup_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"), 0);
    for (const char* text : {"i2i4", "e9e4", "e2e", "e0e4", "e2i4", "", "e", "e2", "2e4e", "e2-e4"})
        EXPECT_EQ(text_to_move(text), 0u) << text;
}

TEST(NotationParse, PromotionLetterIsRequiredForLegality)
{
    ASSERT_EQ(setup_fen("k7/4P3/8/8/8/8/8/4K3 w - - 0 1"), 0);
    EXPECT_EQ(text_to_move("e7e8"), mv("e7", "e8", PAWN));
    EXPECT_EQ(text_to_move("e7e8x"), mv("e7", "e8", PAWN));
    EXPECT_EQ(is_legal_move(text_to_move("e7e8")), 0);
    EXPECT_EQ(is_legal_move(text_to_move("e7e8x")), 0);
    EXPECT_EQ(text_to_move("e7e8Q"), mv("e7", "e8", PAWN, 0, QUEEN));
    EXPECT_EQ(text_to_move("e7e8n"), mv("e7", "e8", PAWN, 0, KNIGHT));
    EXPECT_EQ(text_to_move("E7E8R"), mv("e7", "e8", PAWN, 0, ROOK));
    EXPECT_EQ(text_to_move("e7e8b"), mv("e7", "e8", PAWN, 0, BISHOP));
    for (const char* text : {"e7e8q", "e7e8N", "e7e8r", "e7e8B"})
        EXPECT_EQ(is_legal_move(text_to_move(text)), 1) << text;
}

TEST(NotationParse, CastlingAndEnPassantMatchTheGenerators)
{
    ASSERT_EQ(setup_fen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1"), 0);
    EXPECT_EQ(text_to_move("e8c8"), mv("e8", "c8", KING));
    EXPECT_EQ(is_legal_move(text_to_move("e8c8")), 1);
    EXPECT_EQ(is_legal_move(text_to_move("e8g8")), 1);
    EXPECT_EQ(is_legal_move(text_to_move("e1g1")), 0);  // not the side to move

    ASSERT_EQ(setup_fen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1"), 0);
    EXPECT_EQ(text_to_move("e5d6"), mv("e5", "d6", PAWN));
    EXPECT_EQ(is_legal_move(text_to_move("e5d6")), 1);
}

TEST(NotationLegality, RejectsMovesThatLeaveTheKingAttacked)
{
    // In check from the e7 rook: only answers to the check pass.
    ASSERT_EQ(setup_fen("4k3/4r3/8/8/8/8/3P4/4K3 w - - 0 1"), 0);
    const Key96 before = etats[ply].hash_key;
    EXPECT_EQ(is_legal_move(text_to_move("d2d4")), 0);
    EXPECT_EQ(is_legal_move(text_to_move("e1e2")), 0);
    EXPECT_EQ(is_legal_move(text_to_move("e1d1")), 1);
    EXPECT_EQ(is_legal_move(text_to_move("e1f2")), 1);
    EXPECT_TRUE(etats[ply].hash_key == before);
    EXPECT_EQ(echiquier[sq("e1")], WHITE_BIT + KING);

    // The en-passant capture would open the fifth rank to the h5 rook.
    ASSERT_EQ(setup_fen("8/8/8/KPp4r/8/8/8/4k3 w - c6 0 1"), 0);
    EXPECT_EQ(is_legal_move(text_to_move("b5c6")), 0);
    EXPECT_EQ(is_legal_move(text_to_move("b5b6")), 1);
    EXPECT_EQ(is_legal_move(NULL_MOVE), 0);
}

}  // namespace
