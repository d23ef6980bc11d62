// Polyglot keys and move fields: the keys the format's documentation gives for its sample
// positions (en passant counted only beside a pawn that can take, castling rights, turn), and
// move fields both ways, castling and promotions included.
#include "book/polyglot_keys.h"

#include <gtest/gtest.h>

#include <string>

#include "movegen/notation.h"
#include "test_support.h"

namespace {

struct KeyCase {
    const char* moves;
    uint64_t key;
};

// The format's documented sample keys.
const KeyCase DOCUMENTED_KEYS[] = {
    {"", 0x463b96181691fc9cULL},
    {"e2e4", 0x823c9b50fd114196ULL},
    {"e2e4 d7d5", 0x0756b94461c50fb0ULL},
    {"e2e4 d7d5 e4e5", 0x662fafb965db29d4ULL},
    {"e2e4 d7d5 e4e5 f7f5", 0x22a48b5a8e47ff78ULL},
    {"e2e4 d7d5 e4e5 f7f5 e1e2", 0x652a607ca3f242c1ULL},
    {"e2e4 d7d5 e4e5 f7f5 e1e2 e8f7", 0x00fdd303c946bdd9ULL},
    {"a2a4 b7b5 h2h4 b5b4 c2c4", 0x3c8123ea7b067637ULL},
    {"a2a4 b7b5 h2h4 b5b4 c2c4 b4c3 a1a3", 0x5c3f9b829b279560ULL},
};

TEST(PolyglotKeys, DocumentedSamplePositions)
{
    engine_init_for_tests();
    for (const KeyCase& c : DOCUMENTED_KEYS) {
        setup_and_play(c.moves);
        EXPECT_EQ(polyglot_key(), c.key) << "after '" << c.moves << "'";
    }
}

// The same positions set up from FEN, where the en-passant square is given whether or not a
// pawn can take: the key must not change with it when none can.
TEST(PolyglotKeys, EnPassantSquareCountsOnlyBesideAPawn)
{
    engine_init_for_tests();
    setup_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    EXPECT_EQ(polyglot_key(), 0x823c9b50fd114196ULL);
    setup_fen("rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3");
    EXPECT_EQ(polyglot_key(), 0x22a48b5a8e47ff78ULL);
    setup_fen("rnbqkbnr/p1pppppp/8/8/PpP4P/8/1P1PPPP1/RNBQKBNR b KQkq c3 0 3");
    EXPECT_EQ(polyglot_key(), 0x3c8123ea7b067637ULL);
}

struct MoveCase {
    const char* fen;
    const char* move;  // the engine's coordinate text
    uint16_t field;
    const char* field_text;
};

const MoveCase MOVES[] = {
    {START, "e2e4", 0x031c, "e2e4"},
    {START, "g1f3", 0x0195, "g1f3"},
    {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1g1", 0x0107, "e1g1"},
    {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1c1", 0x0100, "e1c1"},
    {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8g8", 0x0f3f, "e8g8"},
    {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8c8", 0x0f38, "e8c8"},
    {"8/1P5k/8/8/8/8/8/K7 w - - 0 1", "b7b8q", 0x4c79, "b7b8q"},
    {"8/1P5k/8/8/8/8/8/K7 w - - 0 1", "b7b8n", 0x1c79, "b7b8n"},
    {"1r5k/P7/8/8/8/8/8/K7 w - - 0 1", "a7b8r", 0x3c39, "a7b8r"},
    {"7k/8/8/8/8/8/1p6/2R4K b - - 0 1", "b2c1b", 0x2242, "b2c1b"},
    // The king's own one-square step towards h1 stays a plain move.
    {"4k3/8/8/8/8/8/8/4K2R w K - 0 1", "e1f1", 0x0105, "e1f1"},
};

TEST(PolyglotKeys, MoveFieldsBothWays)
{
    engine_init_for_tests();
    for (const MoveCase& c : MOVES) {
        setup_fen(c.fen);
        const Move m = text_to_move(c.move);
        ASSERT_NE(is_legal_move(m), 0) << c.move;
        EXPECT_EQ(polyglot_move_of(m), c.field) << c.move;
        EXPECT_STREQ(polyglot_move_text(c.field), c.field_text) << c.move;
        EXPECT_EQ(move_of_polyglot(c.field), m) << c.move;
    }
}

TEST(PolyglotKeys, FieldsThatAreNoLegalMoveGiveNone)
{
    engine_init_for_tests();
    setup_fen(START);
    EXPECT_EQ(move_of_polyglot(0x0000), 0u);  // a1a1
    EXPECT_EQ(move_of_polyglot(0x0324), 0u);  // e2e5
    EXPECT_EQ(move_of_polyglot(0x531c), 0u);  // e2e4 with promotion code 5
    EXPECT_EQ(move_of_polyglot(0x831c), 0u);  // bit 15 set
    EXPECT_EQ(move_of_polyglot(0x0107), 0u);  // e1h1: castling is not possible here
}

}  // namespace
