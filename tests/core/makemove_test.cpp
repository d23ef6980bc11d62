// make_move and unmake_move: every kind of move leaves a record the consistency checks accept,
// its take-back restores every table bit for bit, and the ply record fields the checks do not
// rebuild (castling rights, en-passant square, reversible count, material score) come out right.
#include "core/makemove.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/board.h"
#include "core/keys.h"
#include "core/position_snapshot.h"
#include "core/tables.h"
#include "movegen/movegen.h"
#include "test_support.h"

namespace {

int sq(const char* name)
{
    return square_of(name[0] - 'a' + 1, name[1] - '0');
}

// The move word of from-to on the current board; an en-passant capture carries no victim type.
Move move_on(const char* from, const char* to, int promotion = 0)
{
    const int f = sq(from), t = sq(to);
    return make_move_word(f, t, type_of(echiquier[f]), type_of(echiquier[t]), promotion);
}

struct Case {
    const char* fen;
    const char* from;
    const char* to;
    int promotion;
};

// Make, check, take back, compare with the record before the move.
void make_check_unmake(const Case& c)
{
    SCOPED_TRACE(std::string(c.fen) + "  " + c.from + c.to + type_letters[c.promotion]);
    ASSERT_EQ(setup_fen(c.fen), 0);
    const Move m = move_on(c.from, c.to, c.promotion);
    const PositionSnapshot before = take_snapshot();
    make_move(m);
    EXPECT_EQ(ply, before.height + 1);
    EXPECT_EQ(trait, -before.side);
    EXPECT_EQ(etats[ply - 1].coup, m);
    EXPECT_EQ(consistency_errors(), "");
    unmake_move(m);
    EXPECT_EQ(first_difference(before, take_snapshot()), "");
}

void run_all(const std::vector<Case>& cases)
{
    for (const Case& c : cases) make_check_unmake(c);
}

// A middle-game position with every piece type mobile, castling open on both wings for both
// colours and a white pawn able to double-step beside a black one.
constexpr const char* RICH_W =
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
constexpr const char* RICH_B =
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 0 1";
constexpr const char* START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

}  // namespace

class MakeMove : public testing::Test {
protected:
    void SetUp() override { engine_init_for_tests(); }
};

TEST_F(MakeMove, QuietMovesOfEveryPiece)
{
    run_all({
        {RICH_W, "c3", "b1", 0},  // knight
        {RICH_W, "d2", "h6", 0},  // bishop, long diagonal
        {RICH_W, "a1", "b1", 0},  // rook
        {RICH_W, "h1", "f1", 0},  // rook towards its own king
        {RICH_W, "f3", "f5", 0},  // queen
        {RICH_W, "e1", "d1", 0},  // king
        {RICH_W, "e1", "f1", 0},
        {RICH_W, "d5", "d6", 0},  // pawn
        {RICH_B, "b6", "c4", 0},
        {RICH_B, "a6", "b7", 0},
        {RICH_B, "h8", "h4", 0},  // rook along an open file
        {RICH_B, "e7", "d8", 0},
        {RICH_B, "e8", "d8", 0},
        {RICH_B, "g6", "g5", 0},
        {START, "g1", "f3", 0},
    });
}

TEST_F(MakeMove, CapturesOfEveryType)
{
    run_all({
        {RICH_W, "e5", "f7", 0},  // knight takes pawn
        {RICH_W, "e2", "a6", 0},  // bishop takes bishop
        {RICH_W, "f3", "f6", 0},  // queen takes knight
        {RICH_W, "f3", "h3", 0},  // queen takes pawn
        {RICH_W, "g2", "h3", 0},  // pawn takes pawn
        {RICH_W, "d5", "e6", 0},
        {RICH_B, "b4", "c3", 0},  // pawn takes knight
        {RICH_B, "f6", "e4", 0},  // knight takes pawn
        {RICH_B, "a6", "e2", 0},  // bishop takes bishop
        {RICH_B, "h3", "g2", 0},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "h1", "h8", 0},  // rook takes rook
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "a8", "a1", 0},
        {"4k3/8/8/3q4/8/5N2/8/4K3 w - - 0 1", "f3", "d5", 0},  // knight takes queen
        {"4k3/8/8/8/8/8/3q4/4K3 w - - 0 1", "e1", "d2", 0},    // king takes queen
        {"4k3/8/8/7q/8/8/8/4K2R w - - 0 1", "h1", "h5", 0},    // rook takes queen
        {"4k3/8/8/8/8/2b5/8/R4K2 b - - 0 1", "c3", "a1", 0},   // bishop takes rook
    });
}

TEST_F(MakeMove, CastlingOnBothWingsForBothColours)
{
    run_all({
        {RICH_W, "e1", "g1", 0},
        {RICH_W, "e1", "c1", 0},
        {RICH_B, "e8", "g8", 0},
        {RICH_B, "e8", "c8", 0},
        // own sliders on the king's lines: the queen's ray through e1 must reach the rook
        {"r3k2r/8/8/8/8/8/8/R2QK2R w KQkq - 0 1", "e1", "g1", 0},
        {"r3k2r/8/8/8/8/8/8/R3KQ1R w KQkq - 0 1", "e1", "c1", 0},
    });
}

TEST_F(MakeMove, DoubleStepsAndEnPassantCaptures)
{
    run_all({
        {RICH_W, "a2", "a4", 0},  // beside the pawn on b4: en-passant square
        {RICH_W, "g2", "g4", 0},  // no pawn beside: none
        {RICH_B, "c7", "c5", 0},
        {START, "e2", "e4", 0},
        // white captures en passant; a queen and a rook face each other once rank 5 opens
        {"3rk3/8/8/Q2pP2r/8/8/8/4K3 w - d6 0 1", "e5", "d6", 0},
        {"4k3/8/8/8/R2pP2q/8/8/1K5R b - e3 0 1", "d4", "e3", 0},
        // three pawns on the capturing file and two on the victim's
        {"4k3/8/8/3pP3/3P4/3P4/4P3/4K3 w - d6 0 1", "e5", "d6", 0},
    });
}

TEST_F(MakeMove, PromotionsToEachPieceWithAndWithoutCapture)
{
    constexpr const char* W = "n1r1k3/1P4P1/8/8/8/8/1p4p1/N1R1K3 w - - 0 1";
    constexpr const char* B = "n1r1k3/1P4P1/8/8/8/8/1p4p1/N1R1K3 b - - 0 1";
    for (const int piece : {KNIGHT, BISHOP, ROOK, QUEEN})
        run_all({
            {W, "b7", "b8", piece},
            {W, "b7", "a8", piece},
            {W, "b7", "c8", piece},
            {W, "g7", "g8", piece},
            {B, "b2", "b1", piece},
            {B, "b2", "a1", piece},
            {B, "b2", "c1", piece},
            {B, "g2", "g1", piece},
        });
}

// Captures from a file holding two, three or four pawns of the mover, into a file with pawns of
// its own or of the victim's colour: the lowest or highest rank left must be found on the board.
TEST_F(MakeMove, PawnCapturesRescanTheFilesTheyLeave)
{
    constexpr const char* W = "7k/3p4/3p4/3p4/4Pb2/3nP3/4PP2/K7 w - - 0 1";
    constexpr const char* B = "k7/4pp2/3Np3/4pB2/3P4/3P4/3P4/7K b - - 0 1";
    run_all({
        {W, "e4", "d5", 0},  // highest of three leaves; victim the lowest of three
        {W, "e3", "f4", 0},  // the middle pawn leaves; enters a file with a pawn on f2
        {W, "e2", "d3", 0},  // lowest of three leaves
        {B, "e5", "d4", 0},  // black's most advanced leaves; victim the highest of three
        {B, "e6", "f5", 0},  // middle pawn, onto a file with a pawn on f7
        {B, "e7", "d6", 0},  // black's rearmost leaves
        {"7k/8/8/3p4/4P3/4P3/4P3/K3P3 w - - 0 1", "e4", "d5", 0},  // four on the file
        {"7k/8/8/3p4/4P3/8/4P3/K7 w - - 0 1", "e4", "d5", 0},      // two on the file
    });
}

// Every generated move, two plies deep, in positions full of castling, en passant and
// promotions: consistent after each make, bit for bit restored after each take-back.
TEST_F(MakeMove, EveryGeneratedMoveTwoPliesDeep)
{
    for (const char* fen : {RICH_W, "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
                            "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
                            "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1"}) {
        SCOPED_TRACE(fen);
        ASSERT_EQ(setup_fen(fen), 0);
        const PositionSnapshot root = take_snapshot();
        int visited = 0;
        auto walk = [&](auto&& self, int depth, int height) -> void {
            if (in_check())
                genere_evasions(height);
            else
                genere_all_moves(height);
            for (int i = ply_start[height]; i < ply_start[height + 1]; ++i) {
                const Move m = move_stack[i].move;
                const PositionSnapshot before = take_snapshot();
                make_move(m);
                ++visited;
                const std::string errors = consistency_errors();
                EXPECT_EQ(errors, "") << "after " << describe_move(m);
                if (errors.empty() && depth > 1 && !own_king_attacked_after_move())
                    self(self, depth - 1, height + 1);
                unmake_move(m);
                const std::string diff = first_difference(before, take_snapshot());
                ASSERT_EQ(diff, "") << "after taking back " << describe_move(m);
            }
        };
        walk(walk, 2, 0);
        EXPECT_GT(visited, 100);
        EXPECT_EQ(first_difference(root, take_snapshot()), "");
    }
}

TEST_F(MakeMove, EnPassantSquareOnlyWhenAPawnCanTakeThere)
{
    ASSERT_EQ(setup_fen(START), 0);
    const Move e4 = move_on("e2", "e4");
    make_move(e4);
    EXPECT_EQ(pos()->case_ep, 0u);
    const Key96 no_ep = pos()->pawn_key ^ pos()->piece_key ^ castle_keys[15];
    EXPECT_EQ(pos()->hash_key, no_ep);

    const Move d5 = move_on("d7", "d5");
    make_move(d5);
    const Move e5 = move_on("e4", "e5");
    make_move(e5);
    const Move f5 = move_on("f7", "f5");
    make_move(f5);
    EXPECT_EQ(pos()->case_ep, static_cast<uint32_t>(sq("f6")));
    const Key96 with_ep =
        pos()->pawn_key ^ pos()->piece_key ^ castle_keys[15] ^ ep_keys[case64[sq("f6")]];
    EXPECT_EQ(pos()->hash_key, with_ep);
    EXPECT_EQ(consistency_errors(), "");

    // The capture it allows, then back to the start of the game.
    const Move exf6 = move_on("e5", "f6");
    EXPECT_EQ(move_captured(exf6), 0);
    checked_make(exf6);
    EXPECT_EQ(echiquier[sq("f5")], EMPTY);
    EXPECT_EQ(pos()->materiel[BLACK], 14050 - 100);
    EXPECT_EQ(pos()->case_ep, 0u);
    EXPECT_EQ(pos()->irreversible, 5);
    for (const Move m : {exf6, f5, e5, d5, e4}) checked_unmake(m);
    EXPECT_EQ(ply, 0);
    ASSERT_EQ(setup_fen(START), 0);
}

TEST_F(MakeMove, CastlingRightsFollowTheSquaresTouched)
{
    struct RightsCase {
        const char* fen;
        const char* from;
        const char* to;
        uint32_t roque;
    };
    const RightsCase cases[] = {
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "h1", "h8", 10},  // both king sides go
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1", "g1", 3},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1", "c1", 3},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "a1", "a7", 7},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1", "e2", 3},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8", "c8", 12},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "a8", "a1", 5},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "h8", "h5", 14},
        {"r3k2r/8/8/8/8/8/1N6/R3K2R w KQkq - 0 1", "b2", "d3", 15},
        {"r3k2r/5N2/8/8/8/8/8/R3K2R w KQkq - 0 1", "f7", "h8", 14},  // a knight takes the rook
        {"r3k2r/8/8/8/8/8/1b6/R3K2R b KQkq - 0 1", "b2", "a1", 7},   // and a bishop
    };
    for (const RightsCase& c : cases) {
        SCOPED_TRACE(std::string(c.fen) + " " + c.from + c.to);
        ASSERT_EQ(setup_fen(c.fen), 0);
        make_move(move_on(c.from, c.to));
        EXPECT_EQ(pos()->roque, c.roque);
        EXPECT_EQ(etats[0].roque, 15u);
        EXPECT_EQ(consistency_errors(), "");
    }
}

TEST_F(MakeMove, CastlingMovesBothPieces)
{
    ASSERT_EQ(setup_fen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1"), 0);
    const uint32_t rook_slot = slot_of(case_ficha[SQ_A8]);
    make_move(move_on("e8", "c8"));
    EXPECT_EQ(echiquier[SQ_C8], BLACK_BIT + KING);
    EXPECT_EQ(echiquier[SQ_D8], BLACK_BIT + ROOK);
    EXPECT_EQ(echiquier[SQ_A8], EMPTY);
    EXPECT_EQ(echiquier[SQ_E8], EMPTY);
    EXPECT_EQ(king_square(BLACK), SQ_C8);
    EXPECT_EQ(ficha[BLACK][rook_slot].square, static_cast<uint32_t>(SQ_D8));
    EXPECT_EQ(pos()->irreversible, 0);
    EXPECT_EQ(pos()->materiel[BLACK], 11000);
    EXPECT_EQ(pos()->materiel[WHITE], 11000);
}

TEST_F(MakeMove, PromotionWithCaptureRecomputesMaterial)
{
    ASSERT_EQ(setup_fen("4k2r/6P1/8/8/8/8/8/4K1N1 w - - 0 1"), 0);
    const Move m = move_on("g7", "h8", QUEEN);
    EXPECT_EQ(move_captured(m), ROOK);
    checked_make(m);
    EXPECT_EQ(pos()->materiel[BLACK], 10000);
    EXPECT_EQ(pos()->materiel[WHITE], 11270);
    EXPECT_EQ(pos()->score_materiel, -1270);
    EXPECT_EQ(pos()->irreversible, 1);
    EXPECT_EQ(etats[0].ficha_prise, 1u);  // black's rook, its only piece besides the king
    EXPECT_EQ(nombre_pions[WHITE], 0);
    EXPECT_EQ(nombre_pieces[WHITE], 2);
    EXPECT_EQ(nombre_pieces[BLACK], 0);
    EXPECT_EQ(echiquier[SQ_H8], WHITE_BIT + QUEEN);
    checked_unmake(m);
    EXPECT_EQ(echiquier[SQ_H8], BLACK_BIT + ROOK);
}

TEST_F(MakeMove, QuietMovesNegateTheMaterialScoreAndKeepTheReversibleCount)
{
    // White is a knight up, so the score is far from zero and its sign matters.
    ASSERT_EQ(setup_fen("4k3/pppp4/8/8/8/8/PPPP4/1N2K1N1 w - - 5 1"), 0);
    const int32_t before = pos()->score_materiel;
    ASSERT_GT(before, 0);
    const Move nf3 = move_on("g1", "f3");
    checked_make(nf3);
    EXPECT_EQ(pos()->score_materiel, -before);
    EXPECT_EQ(pos()->irreversible, 0);
    EXPECT_EQ(pos()->materiel[WHITE], etats[0].materiel[WHITE]);
    const Move a6 = move_on("a7", "a6");
    checked_make(a6);
    EXPECT_EQ(pos()->score_materiel, before);
    EXPECT_EQ(pos()->irreversible, 2);  // pawn moves are irreversible
    const Move ng5 = move_on("f3", "g5");
    checked_make(ng5);
    EXPECT_EQ(pos()->irreversible, 2);
    EXPECT_EQ(pos()->score_materiel, -before);
    checked_unmake(ng5);
    checked_unmake(a6);
    checked_unmake(nf3);
}

TEST_F(MakeMove, NullMoveDropsTheEnPassantTermAndComesBack)
{
    ASSERT_EQ(setup_fen("4k3/8/8/8/1pP5/8/8/4K3 b - c3 0 1"), 0);
    const PositionSnapshot before = take_snapshot();
    const Etat cur = *pos();
    const uint64_t calls = make_move_calls;
    make_null_move();
    EXPECT_EQ(make_move_calls, calls);
    EXPECT_EQ(ply, 1);
    EXPECT_EQ(trait, 1);
    EXPECT_EQ(etats[0].coup, NULL_MOVE);
    EXPECT_EQ(pos()->case_ep, 0u);
    EXPECT_EQ(pos()->hash_key, cur.hash_key ^ ep_keys[case64[sq("c3")]]);
    EXPECT_EQ(pos()->pawn_key, cur.pawn_key);
    EXPECT_EQ(pos()->piece_key, cur.piece_key);
    EXPECT_EQ(pos()->irreversible, 1);
    EXPECT_EQ(pos()->score_materiel, -cur.score_materiel);
    EXPECT_EQ(consistency_errors(), "");
    unmake_null_move();
    EXPECT_EQ(first_difference(before, take_snapshot()), "");
}

TEST_F(MakeMove, CountsItsCalls)
{
    ASSERT_EQ(setup_fen(START), 0);
    const uint64_t calls = make_move_calls;
    const Move m = move_on("b1", "c3");
    make_move(m);
    unmake_move(m);
    make_move(m);
    EXPECT_EQ(make_move_calls, calls + 2);
}

TEST(PositionSnapshotHelper, NamesTheFirstDifference)
{
    ASSERT_EQ(setup_fen(START), 0);
    const PositionSnapshot before = take_snapshot();
    attaques[WHITE][sq("e4")] ^= 1u << 3;
    EXPECT_EQ(first_difference(before, take_snapshot()).rfind("attaques[1][e4 (64)]", 0), 0u);
    attaques[WHITE][sq("e4")] ^= 1u << 3;
    pos()->pawn_key.w[2] ^= 1;
    EXPECT_EQ(first_difference(before, take_snapshot()).rfind("etats[0].pawn_key.w[2]", 0), 0u);
    pos()->pawn_key.w[2] ^= 1;
    // A captured piece's stale square word and a vacated square's stale reference are ignored.
    ASSERT_EQ(setup_fen("4k3/8/8/3q4/8/5N2/8/4K3 w - - 0 1"), 0);
    const PositionSnapshot fresh = take_snapshot();
    const Move m = move_on("f3", "d5");
    make_move(m);
    unmake_move(m);
    EXPECT_NE(case_ficha[sq("d5")], nullptr);
    EXPECT_EQ(first_difference(fresh, take_snapshot()), "");
}

// Set-up accepts any en-passant square; a pawn pushed onto it has no victim beside it and must
// be played as a plain push.
TEST_F(MakeMove, APushOntoTheEnPassantSquareStaysAPush)
{
    run_all({
        {"4k3/8/8/8/8/8/4P3/4K3 w - e3 0 1", "e2", "e3", 0},
        {"4k3/8/8/8/8/8/4P3/4K3 w - e4 0 1", "e2", "e4", 0},
        {"4k3/4p3/8/8/8/8/8/4K3 b - e6 0 1", "e7", "e6", 0},
    });
    ASSERT_EQ(setup_fen("4k3/8/8/8/8/8/4P3/4K3 w - e3 0 1"), 0);
    make_move(move_on("e2", "e3"));
    EXPECT_EQ(echiquier[sq("e3")], WHITE_BIT + PAWN);
    EXPECT_EQ(nombre_pions[WHITE], 1);
    EXPECT_EQ(pos()->materiel[BLACK], 10000);
}
