// make_move and unmake_move on hand-built moves of every kind: the record after the move passes
// the consistency check, the take-back restores it bit for bit, and the ply-record fields the
// check does not rebuild (castling rights, en-passant square, counters, material) come out right.
#include "core/makemove.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/board.h"
#include "core/keys.h"
#include "core/position_snapshot.h"
#include "movegen/notation.h"
#include "test_support.h"

namespace {

const char* const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
// Every piece type mobile, castling open on both wings, pawns able to take en passant.
const char* const RICH = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
const char* const RICH_B = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 0 1";
const char* const ROOKS = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
const char* const ROOKS_B = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1";

// The move word of "e2e4" or "b7a8q" on the current board (en passant carries no victim type).
Move move_on(const std::string& text)
{
    return text_to_move(text.c_str());
}

struct Case {
    const char* fen;
    std::vector<std::string> moves;
};

// Each move from the set-up: checked after make, restored bit for bit after unmake.
void make_check_unmake(const std::vector<Case>& cases)
{
    for (const Case& c : cases)
        for (const std::string& text : c.moves) {
            SCOPED_TRACE(std::string(c.fen) + "  " + text);
            ASSERT_EQ(setup_fen(c.fen), 0);
            const Move m = move_on(text);
            const PositionSnapshot before = take_snapshot();
            const int side = trait;
            make_move(m);
            EXPECT_EQ(trait, -side);
            EXPECT_EQ(etats[ply - 1].coup, m);
            EXPECT_EQ(consistency_errors(), "");
            unmake_move(m);
            EXPECT_EQ(first_difference(before, take_snapshot()), "");
        }
}

}  // namespace

TEST(MakeMove, QuietMovesAndCapturesOfEveryPiece)
{
    make_check_unmake({
        {RICH,
         {"c3b1", "d2h6", "a1b1", "h1f1", "f3f5", "e1d1", "d5d6",  // quiet
          "e5f7", "e2a6", "f3f6", "f3h3", "g2h3", "d5e6"}},        // captures
        {RICH_B, {"b6c4", "a6b7", "h8h4", "e7d8", "e8d8", "g6g5", "b4c3", "f6e4", "a6e2"}},
        {ROOKS, {"h1h8"}},
        {ROOKS_B, {"a8a1"}},
        {"4k3/8/8/3q4/8/5N2/8/4K3 w - - 0 1", {"f3d5"}},  // knight takes queen
        {"4k3/8/8/8/8/8/3q4/4K3 w - - 0 1", {"e1d2"}},    // king takes queen
        {"4k3/8/8/8/8/2b5/8/R4K2 b - - 0 1", {"c3a1"}},   // bishop takes rook
    });
}

TEST(MakeMove, CastlingDoubleStepsAndEnPassant)
{
    make_check_unmake({
        {RICH, {"e1g1", "e1c1", "a2a4", "g2g4"}},  // a4 beside the b4 pawn gets an ep square
        {RICH_B, {"e8g8", "e8c8", "c7c5"}},
        // own sliders on the king's lines: the queen's ray through e1 must reach the rook
        {"r3k2r/8/8/8/8/8/8/R2QK2R w KQkq - 0 1", {"e1g1"}},
        {"r3k2r/8/8/8/8/8/8/R3KQ1R w KQkq - 0 1", {"e1c1"}},
        // a queen and a rook face each other once the fifth or fourth rank opens
        {"3rk3/8/8/Q2pP2r/8/8/8/4K3 w - d6 0 1", {"e5d6"}},
        {"4k3/8/8/8/R2pP2q/8/8/1K5R b - e3 0 1", {"d4e3"}},
        {"4k3/8/8/3pP3/3P4/3P4/4P3/4K3 w - d6 0 1", {"e5d6"}},
        // set-up accepts any ep square; a pawn pushed onto it is a plain push
        {"4k3/8/8/8/8/8/4P3/4K3 w - e3 0 1", {"e2e3", "e2e4"}},
        {"4k3/4p3/8/8/8/8/8/4K3 b - e6 0 1", {"e7e6"}},
    });
    ASSERT_EQ(setup_fen("4k3/8/8/8/8/8/4P3/4K3 w - e3 0 1"), 0);
    make_move(move_on("e2e3"));
    EXPECT_EQ(echiquier[square_named("e3")], WHITE_BIT + PAWN);
    EXPECT_EQ(pos()->materiel[BLACK], 10000);
}

TEST(MakeMove, PromotionsToEachPieceWithAndWithoutCapture)
{
    const char* const w = "n1r1k3/1P4P1/8/8/8/8/1p4p1/N1R1K3 w - - 0 1";
    const char* const b = "n1r1k3/1P4P1/8/8/8/8/1p4p1/N1R1K3 b - - 0 1";
    Case white{w, {}}, black{b, {}};
    for (const char* p : {"n", "b", "r", "q"})
        for (int i = 0; i < 4; ++i) {
            white.moves.push_back(std::string(&"b7b8b7a8b7c8g7g8"[4 * i], 4) + p);
            black.moves.push_back(std::string(&"b2b1b2a1b2c1g2g1"[4 * i], 4) + p);
        }
    make_check_unmake({white, black});
}

// The most advanced and rearmost pawn of a file must be found again on the board when a pawn
// leaves a file of two, three or four, or is taken from one.
TEST(MakeMove, PawnCapturesRescanTheFilesTheyLeave)
{
    make_check_unmake({
        {"7k/3p4/3p4/3p4/4Pb2/3nP3/4PP2/K7 w - - 0 1", {"e4d5", "e3f4", "e2d3"}},
        {"k7/4pp2/3Np3/4pB2/3P4/3P4/3P4/7K b - - 0 1", {"e5d4", "e6f5", "e7d6"}},
        {"7k/8/3p4/4P3/4P3/4P3/4P3/K7 w - - 0 1", {"e5d6"}},
        {"7k/8/8/3p4/4P3/8/4P3/K7 w - - 0 1", {"e4d5"}},
    });
}

TEST(MakeMove, EnPassantSquareOnlyWhenAPawnCanTakeThere)
{
    ASSERT_EQ(setup_fen(START), 0);
    std::vector<Move> played;
    for (const char* text : {"e2e4", "d7d5", "e4e5", "f7f5"}) {
        played.push_back(move_on(text));
        checked_make(played.back());
        EXPECT_TRUE(ply != 1 || pos()->case_ep == 0);  // no black pawn beside e4
    }
    const int f6 = square_named("f6");
    EXPECT_EQ(pos()->case_ep, static_cast<uint32_t>(f6));
    EXPECT_EQ(pos()->hash_key,
              pos()->pawn_key ^ pos()->piece_key ^ castle_keys[15] ^ ep_keys[case64[f6]]);
    played.push_back(move_on("e5f6"));
    EXPECT_EQ(move_captured(played.back()), 0);
    checked_make(played.back());
    EXPECT_EQ(echiquier[square_named("f5")], EMPTY);
    EXPECT_EQ(pos()->materiel[BLACK], 14050 - 100);
    EXPECT_EQ(pos()->case_ep, 0u);
    EXPECT_EQ(pos()->irreversible, 5);
    for (auto m = played.rbegin(); m != played.rend(); ++m) checked_unmake(*m);
    EXPECT_EQ(ply, 0);
}

TEST(MakeMove, CastlingRightsFollowTheSquaresTouched)
{
    const struct {
        const char* fen;
        const char* move;
        uint32_t roque;
    } cases[] = {{ROOKS, "h1h8", 10},
                 {ROOKS, "e1g1", 3},
                 {ROOKS, "a1a7", 7},
                 {ROOKS_B, "e8c8", 12},
                 {ROOKS_B, "a8a1", 5},
                 {ROOKS_B, "h8h5", 14},
                 {"r3k2r/5N2/8/8/8/8/8/R3K2R w KQkq - 0 1", "f7h8", 14}};
    for (const auto& c : cases) {
        ASSERT_EQ(setup_fen(c.fen), 0);
        make_move(move_on(c.move));
        EXPECT_EQ(pos()->roque, c.roque) << c.fen << " " << c.move;
        EXPECT_EQ(etats[0].roque, 15u);
    }
}

TEST(MakeMove, PromotionWithCaptureRecomputesMaterial)
{
    ASSERT_EQ(setup_fen("4k2r/6P1/8/8/8/8/8/4K1N1 w - - 0 1"), 0);
    const Move promotion = move_on("g7h8q");
    EXPECT_EQ(move_captured(promotion), ROOK);
    checked_make(promotion);
    EXPECT_EQ(pos()->materiel[BLACK], 10000);
    EXPECT_EQ(pos()->materiel[WHITE], 11270);
    EXPECT_EQ(pos()->score_materiel, -1270);
    EXPECT_EQ(pos()->irreversible, 1);
    EXPECT_EQ(etats[0].ficha_prise, 1u);  // black's rook, its only piece besides the king
    checked_unmake(promotion);
}

TEST(PositionSnapshotHelper, NamesTheFirstDifference)
{
    ASSERT_EQ(setup_fen(START), 0);
    const PositionSnapshot before = take_snapshot();
    attaques[WHITE][square_named("e4")] ^= 1u << 3;
    EXPECT_EQ(first_difference(before, take_snapshot()).rfind("attaques[1][e4 (64)]: 0", 0), 0u);
    attaques[WHITE][square_named("e4")] ^= 1u << 3;
    pos()->pawn_key.w[2] ^= 1;
    EXPECT_EQ(first_difference(before, take_snapshot()).rfind("etats[0] word 13", 0), 0u);
}
