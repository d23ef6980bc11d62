// Move text both ways and the legality test of typed moves: disambiguation by attack masks,
// pawn, castling and null-move texts, the coordinate parser's rules, and legality in check.
#include "movegen/notation.h"

#include <gtest/gtest.h>

#include <tuple>

#include "core/board.h"
#include "test_support.h"

namespace {

Move mv(const char* from, const char* to, int piece, int captured = 0, int promotion = 0)
{
    return make_move_word(square_named(from), square_named(to), piece, captured, promotion);
}

bool legal(const char* text)
{
    return is_legal_move(text_to_move(text)) == 1;
}

}  // namespace

TEST(Notation, MoveTexts)
{
    const char* two_files = "4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1";
    const char* one_file = "4k3/8/8/8/8/1N6/8/1N2K3 w - - 0 1";
    const char* three_queens = "4k3/8/8/8/8/Q7/8/Q1Q1K3 w - - 0 1";
    const char* pinned = "4k3/8/8/3b4/8/5N2/3n2K1/1N6 w - - 0 1";  // f3 pinned to g2
    // {position (none when the texts do not depend on it), move, short text, long text}
    const std::tuple<const char*, Move, const char*, const char*> cases[] = {
        {two_files, mv("b1", "d2", KNIGHT), "Nbd2", "Nb1d2"},
        {two_files, mv("b1", "a3", KNIGHT), "Na3", "Nb1a3"},
        {one_file, mv("b1", "d2", KNIGHT), "N1d2", "Nb1d2"},
        {three_queens, mv("a1", "b2", QUEEN), "Qa1b2", "Qa1b2"},
        {three_queens, mv("c1", "b2", QUEEN), "Qcb2", "Qc1b2"},  // a1 shares the rank only
        {three_queens, mv("a3", "b2", QUEEN), "Q3b2", "Qa3b2"},  // a1 shares the file only
        {pinned, mv("b1", "d2", KNIGHT, KNIGHT), "Nbxd2", "Nb1xd2"},
        {nullptr, mv("e4", "d5", PAWN, PAWN), "exd5", "e4xd5"},
        {nullptr, mv("e5", "d6", PAWN), "exd6/ep", "e5xd6/ep"},
        {nullptr, mv("e7", "e8", PAWN, 0, QUEEN), "e8=Q", "e8=Q"},
        {nullptr, mv("e7", "d8", PAWN, ROOK, KNIGHT), "exd8=N", "e7xd8=N"},
        {nullptr, mv("e1", "g1", KING), "O-O", "O-O"},
        {nullptr, mv("e8", "c8", KING), "O-O-O", "O-O-O"},
        {nullptr, mv("e1", "d2", KING, PAWN), "Kxd2", "Ke1xd2"},
        {nullptr, NULL_MOVE, "//", "//"},
    };
    for (const auto& [fen, move, short_text, long_text] : cases) {
        if (fen != nullptr) {
            ASSERT_EQ(setup_fen(fen), 0) << fen;
        }
        EXPECT_STREQ(move_to_text(move, true), short_text) << long_text;
        EXPECT_STREQ(move_to_text(move, false), long_text);
    }
}

TEST(Notation, ParsingFollowsTheBoard)
{
    ASSERT_EQ(setup_fen(START), 0);
    EXPECT_EQ(text_to_move("e2e4"), mv("e2", "e4", PAWN));
    EXPECT_EQ(text_to_move("E2E4"), mv("e2", "e4", PAWN));
    EXPECT_EQ(text_to_move("d1d8"), mv("d1", "d8", QUEEN, QUEEN));  // types come from the board
    EXPECT_EQ(text_to_move("e4e5"), mv("e4", "e5", NO_TYPE));
    for (const char* text : {"i2i4", "e9e4", "e2e", "e0e4", "e2i4", "", "2e4e", "e2-e4"})
        EXPECT_EQ(text_to_move(text), 0u) << text;
}

TEST(Notation, PromotionLetterIsRequiredForLegality)
{
    ASSERT_EQ(setup_fen("k7/4P3/8/8/8/8/8/4K3 w - - 0 1"), 0);
    EXPECT_EQ(text_to_move("e7e8"), mv("e7", "e8", PAWN));
    EXPECT_FALSE(legal("e7e8") || legal("e7e8x"));  // no promotion letter, or no valid one
    const int types[] = {QUEEN, KNIGHT, ROOK, BISHOP};
    const char* texts[] = {"e7e8q", "e7e8N", "E7E8R", "e7e8b"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(text_to_move(texts[i]), mv("e7", "e8", PAWN, 0, types[i])) << texts[i];
        EXPECT_TRUE(legal(texts[i])) << texts[i];
    }
}

TEST(Notation, LegalityOfCastlingEnPassantPinsAndChecks)
{
    ASSERT_EQ(setup_fen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1"), 0);
    EXPECT_TRUE(legal("e8c8") && legal("e8g8"));
    EXPECT_FALSE(legal("e1g1"));  // not the side to move
    // The en-passant capture would open the fifth rank to the h5 rook.
    ASSERT_EQ(setup_fen("8/8/8/KPp4r/8/8/8/4k3 w - c6 0 1"), 0);
    EXPECT_FALSE(legal("b5c6"));
    EXPECT_TRUE(legal("b5b6"));
    EXPECT_EQ(is_legal_move(NULL_MOVE), 0);
    ASSERT_EQ(setup_fen("4k3/8/8/3b4/8/5N2/3n2K1/1N6 w - - 0 1"), 0);
    EXPECT_EQ(is_legal_move(mv("f3", "d2", KNIGHT, KNIGHT)), 0);
    // In check only answers are legal, and the test leaves the position as it was.
    ASSERT_EQ(setup_fen("4k3/4r3/8/8/8/8/3P4/4K3 w - - 0 1"), 0);
    const Key96 before = etats[ply].hash_key;
    EXPECT_FALSE(legal("d2d4") || legal("e1e2"));
    EXPECT_TRUE(legal("e1d1") && legal("e1f2"));
    EXPECT_TRUE(etats[ply].hash_key == before);
    EXPECT_EQ(echiquier[square_named("e1")], WHITE_BIT + KING);
}
