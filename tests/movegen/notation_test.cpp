// Move text both ways (the texts in tests/data) and the legality test of typed moves:
// disambiguation by attack masks, pawn, castling and null-move texts, the coordinate parser's
// rules, and legality in check.
#include "movegen/notation.h"

#include <gtest/gtest.h>

#include "core/board.h"
#include "core/tables.h"
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
    const auto rows = data_rows("move_texts.txt");
    ASSERT_GT(rows.size(), 12u);
    auto type = [](const std::string& t) {
        return t == "-" ? 0 : int(std::string(type_letters).find(t[0]));
    };
    for (const auto& row : rows) {
        if (row[0] != "-") {
            ASSERT_EQ(setup_fen(row[0]), 0) << row[0];
        }
        const Move m = mv(row[1].c_str(), row[2].c_str(), type(row[3]), type(row[4]), type(row[5]));
        EXPECT_STREQ(move_to_text(m, true), row[6].c_str()) << row[7];
        EXPECT_STREQ(move_to_text(m, false), row[7].c_str());
    }
    EXPECT_STREQ(move_to_text(NULL_MOVE, true), "//");
    EXPECT_STREQ(move_to_text(NULL_MOVE, false), "//");
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
