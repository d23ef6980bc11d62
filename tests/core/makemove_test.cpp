// make_move and unmake_move on hand-built moves that random play rarely meets: the record after
// the move passes the consistency check, the take-back restores it bit for bit, and the ply-record
// fields the check does not rebuild (castling rights, en-passant square, counters) come out right.
#include "core/makemove.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "core/board.h"
#include "core/position_snapshot.h"
#include "movegen/notation.h"
#include "test_support.h"

namespace {

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

// Random play covers the common moves; these are the lines it rarely meets.
TEST(MakeMove, CastlingAndEnPassantOpeningLines)
{
    make_check_unmake({
        // own sliders on the king's lines: the queen's ray through e1 must reach the rook
        {"r3k2r/8/8/8/8/8/8/R2QK2R w KQkq - 0 1", {"e1g1"}},
        {"r3k2r/8/8/8/8/8/8/R3KQ1R w KQkq - 0 1", {"e1c1"}},
        // a queen and a rook face each other once the fifth or fourth rank opens
        {"3rk3/8/8/Q2pP2r/8/8/8/4K3 w - d6 0 1", {"e5d6"}},
        {"4k3/8/8/8/R2pP2q/8/8/1K5R b - e3 0 1", {"d4e3"}},
        {"4k3/8/8/3pP3/3P4/3P4/4P3/4K3 w - d6 0 1", {"e5d6"}},
    });
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
    EXPECT_EQ(consistency_errors(), "");  // the en-passant key included
    played.push_back(move_on("e5f6"));
    EXPECT_EQ(move_captured(played.back()), 0);
    checked_make(played.back());
    EXPECT_EQ(echiquier[square_named("f5")], EMPTY);
    EXPECT_EQ(pos()->case_ep, 0u);
    EXPECT_EQ(pos()->irreversible, 5);
    for (auto m = played.rbegin(); m != played.rend(); ++m) checked_unmake(*m);
    EXPECT_EQ(ply, 0);
}

TEST(MakeMove, CastlingRightsFollowTheSquaresTouched)
{
    const std::tuple<const char*, const char*, uint32_t> cases[] = {
        {ROOKS, "h1h8", 10},
        {ROOKS, "e1g1", 3},
        {ROOKS, "a1a7", 7},
        {ROOKS_B, "e8c8", 12},
        {ROOKS_B, "a8a1", 5},
        {ROOKS_B, "h8h5", 14},
        {"r3k2r/5N2/8/8/8/8/8/R3K2R w KQkq - 0 1", "f7h8", 14}};
    for (const auto& [fen, move, roque] : cases) {
        ASSERT_EQ(setup_fen(fen), 0);
        make_move(move_on(move));
        EXPECT_EQ(pos()->roque, roque) << fen << " " << move;
        EXPECT_EQ(etats[0].roque, 15u);
    }
}

// K+N+P against K+R: g7xh8=Q leaves 10000 for Black, 10000 + 950 + 320 for White, and a
// material score of -1270 for Black to move.
TEST(MakeMove, PromotionWithCaptureRecordsTheVictim)
{
    ASSERT_EQ(setup_fen("4k2r/6P1/8/8/8/8/8/4K1N1 w - - 0 1"), 0);
    const Move promotion = move_on("g7h8q");
    EXPECT_EQ(move_captured(promotion), ROOK);
    checked_make(promotion);
    EXPECT_EQ(pos()->materiel[BLACK], 10000);
    EXPECT_EQ(pos()->materiel[WHITE], 11270);
    EXPECT_EQ(pos()->score_materiel, -1270);
    EXPECT_EQ(consistency_errors(), "");
    EXPECT_EQ(pos()->irreversible, 1);
    EXPECT_EQ(etats[0].ficha_prise, 1u);  // black's rook, its only piece besides the king
    checked_unmake(promotion);
}
