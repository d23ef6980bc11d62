// The direct-check generator: explicit cases (walks stopped by the first piece, bishops of the
// wrong colour, knight and pawn checks, no castling or promotion checks) and a comparison with
// a brute force over legal moves on a set of positions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/board.h"
#include "core/makemove.h"
#include "movegen/movegen.h"
#include "movegen_helpers.h"
#include "test_support.h"

namespace {

using movegen_test::texts;
using movegen_test::written_by;
using Texts = std::vector<std::string>;

Texts checks() { return texts(written_by(genere_echecs)); }

TEST(MovegenChecks, RookAndQueenWalksStopAtTheFirstPiece)
{
    // Rook h5 reaches e5, but the walk down from e8 stops at the pawn on e6; the rook checks
    // from h8 only. The queen checks from e7, f8, a8 and a4, once per square.
    ASSERT_EQ(setup_fen("4k3/8/4p3/7R/8/Q7/8/4K3 w - - 0 1"), 0);
    EXPECT_EQ(checks(), (Texts{"Qa3e7", "Qa3f8", "Rh5h8", "Qa3a8", "Qa3a4"}));
}

TEST(MovegenChecks, BishopsOfTheOtherSquareColourAreSkipped)
{
    ASSERT_EQ(setup_fen("4k3/8/8/8/8/8/8/B3K3 w - - 0 1"), 0);
    EXPECT_TRUE(checks().empty());
    ASSERT_EQ(setup_fen("4k3/8/8/8/8/7B/8/B3K3 w - - 0 1"), 0);
    EXPECT_EQ(checks(), (Texts{"Bh3d7"}));
}

TEST(MovegenChecks, KnightTakesOnACheckSquareButNotOwnPieces)
{
    ASSERT_EQ(setup_fen("4k3/2B5/3p4/1N6/8/8/8/4K3 w - - 0 1"), 0);
    EXPECT_EQ(checks(), (Texts{"Nb5d6xP"}));
}

TEST(MovegenChecks, PawnPushesDoubleStepsAndCaptures)
{
    ASSERT_EQ(setup_fen("8/8/8/4k3/8/5P2/3P4/4K3 w - - 0 1"), 0);
    EXPECT_EQ(checks(), (Texts{"Pd2d4", "Pf3f4"}));
    ASSERT_EQ(setup_fen("8/8/8/4k3/8/3p1P2/3P4/4K3 w - - 0 1"), 0);  // d3 blocked
    EXPECT_EQ(checks(), (Texts{"Pf3f4"}));
    ASSERT_EQ(setup_fen("8/8/8/4k3/3r4/2P2P2/8/4K3 w - - 0 1"), 0);
    EXPECT_EQ(checks(), (Texts{"Pc3d4xR", "Pf3f4"}));
    ASSERT_EQ(setup_fen("4k3/3p4/8/4K3/8/8/8/8 b - - 0 1"), 0);
    EXPECT_EQ(checks(), (Texts{"Pd7d6"}));
    ASSERT_EQ(setup_fen("4k3/3p4/8/8/4K3/8/8/8 b - - 0 1"), 0);
    EXPECT_EQ(checks(), (Texts{"Pd7d5"}));
}

TEST(MovegenChecks, NoCastlingPromotionOrDiscoveredChecks)
{
    // Castling would check from f1, b7-b8 would check along the 8th rank, and the bishop
    // uncovers the rook on the h-file: only the rook's own moves are produced.
    ASSERT_EQ(setup_fen("5k2/1P6/8/8/8/8/8/4K2R w K - 0 1"), 0);
    EXPECT_EQ(checks(), (Texts{"Rh1f1", "Rh1h8"}));
    ASSERT_EQ(setup_fen("7k/8/8/8/8/7B/8/K6R w - - 0 1"), 0);
    EXPECT_TRUE(checks().empty());
}

TEST(MovegenChecks, ReturnsTheWritePositionAndCountsCalls)
{
    ASSERT_EQ(setup_fen("5k2/8/8/8/8/8/8/4K2R w K - 0 1"), 0);
    const uint32_t calls = echecs_calls;
    EXPECT_EQ(genere_echecs(40), 42);
    EXPECT_EQ(echecs_calls, calls + 1);
}

// Legal moves that put the moved piece itself in contact with the opponent king, castling,
// promotions and en passant excepted.
std::vector<Move> brute_force_direct_checks()
{
    std::vector<Move> out;
    for (Move m : movegen_test::legal_only(movegen_test::search_moves())) {
        if (move_promotion(m) != 0 || move_piece(m) == KING) continue;
        if (move_piece(m) == PAWN && move_to(m) == static_cast<int>(pos()->case_ep)) continue;
        make_move(m);
        const int mover = colour_index(-trait);
        const uint32_t bit = case_ficha[move_to(m)]->mask;
        if (attaques[mover][king_square(1 - mover)] & bit) out.push_back(m);
        unmake_move(m);
    }
    return out;
}

TEST(MovegenChecks, EqualTheDirectChecksFoundByBruteForce)
{
    const char* const fens[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 0 1",
        "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1",
        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
        "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 b - - 0 1",
        "3k4/8/8/2N1N3/8/2B5/8/Q3K2R w K - 0 1",
        "2k5/8/1p1p4/2P5/8/8/5n2/4K3 b - - 0 1",
        "4k3/8/8/3Pp3/8/8/8/4K3 w - e6 0 1",
        "r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq - 0 5",
    };
    for (const char* fen : fens) {
        ASSERT_EQ(setup_fen(fen), 0) << fen;
        const std::vector<Move> generated =
            movegen_test::legal_only(written_by(genere_echecs, MAX_LIST_MOVES));
        EXPECT_EQ(texts(movegen_test::sorted(generated)),
                  texts(movegen_test::sorted(brute_force_direct_checks())))
            << fen;
    }
}

}  // namespace
