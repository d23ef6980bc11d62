// Exact lists of every generator on small positions: the fixed orders (types, slots, steps,
// promotions, en passant), castling rules, victim classes by threshold, the evasion cases with
// `attaques` unchanged, direct checks, and the write positions, ply starts and call counters.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/board.h"
#include "movegen/movegen.h"
#include "movegen_helpers.h"
#include "test_support.h"

namespace {

using movegen_test::joined;
using movegen_test::stack_range;

struct ListCase {
    const char* fen;
    int type;  // the moving type whose entries are compared, 0 for the whole list
    const char* expected;
};

const char* const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char* const CASTLES = "Ke1e2 Ke1d2 Ke1f2 Ke1d1 Ke1c1 Ke1f1 Ke1g1";

const ListCase ALL_MOVES[] = {
    {START, 0,
     "Nb1a3 Nb1c3 Ng1f3 Ng1h3 Pa2a3 Pa2a4 Pb2b3 Pb2b4 Pc2c3 Pc2c4 Pd2d3 Pd2d4 Pe2e3 "
     "Pe2e4 Pf2f3 Pf2f4 Pg2g3 Pg2g4 Ph2h3 Ph2h4"},
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1", 0,
     "Nb8a6 Nb8c6 Ng8f6 Ng8h6 Pa7a6 Pa7a5 Pb7b6 Pb7b5 Pc7c6 Pc7c5 Pd7d6 Pd7d5 Pe7e6 Pe7e5 Pf7f6 "
     "Pf7f5 Pg7g6 Pg7g5 Ph7h6 Ph7h5"},
    {"7k/8/3p4/8/3R1P2/8/8/7K w - - 0 1", 0,
     "Kh1h2 Kh1g2 Kh1g1 Rd4d5 Rd4d6xP Rd4d3 Rd4d2 Rd4d1 Rd4e4 Rd4c4 Rd4b4 Rd4a4 Pf4f5"},
    {"4k3/8/8/8/7b/2p5/3n4/4K3 w - - 0 1", 0, "Ke1e2 Ke1d1"},  // no defended or covered square
    {"r1n1k3/1P6/8/8/8/8/8/4K3 w - - 0 1", PAWN,
     "Pb7b8=Q Pb7b8=N Pb7b8=R Pb7b8=B Pb7a8xR=Q Pb7a8xR=N Pb7a8xR=R Pb7a8xR=B Pb7c8xN=Q "
     "Pb7c8xN=N Pb7c8xN=R Pb7c8xN=B"},
    {"4k3/8/8/8/8/8/1p6/R1N1K3 b - - 0 1", PAWN,
     "Pb2b1=Q Pb2b1=N Pb2b1=R Pb2b1=B Pb2a1xR=Q Pb2a1xR=N Pb2a1xR=R Pb2a1xR=B Pb2c1xN=Q "
     "Pb2c1xN=N Pb2c1xN=R Pb2c1xN=B"},
    {"4k3/8/8/8/6n1/Pbp1P2p/P1P3PP/4K3 w - - 0 1", PAWN,
     "Pa2b3xB Pa3a4 Pc2b3xB Pe3e4 Pg2g3 Pg2h3xP"},  // blocked pushes, one-step g2
    {"4k3/8/8/3PpP2/8/8/8/4K3 w - e6 0 1", 0,
     "Ke1e2 Ke1d2 Ke1f2 Ke1d1 Ke1f1 Pd5d6 Pf5f6 Pd5e6 Pf5e6"},
    {"4k3/8/8/8/3pPp2/8/8/4K3 b - e3 0 1", PAWN, "Pd4d3 Pf4f3 Pd4e3 Pf4e3"},
    // Castling: right after the quiet step beside the king, never in check, across or onto an
    // attacked square, nor over an occupied one; b1 and the rooks may be attacked.
    {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", KING, CASTLES},
    {"r3k2r/8/8/8/8/8/8/1R2K2R b kq - 0 1", KING, "Ke8e7 Ke8d7 Ke8f7 Ke8d8 Ke8c8 Ke8f8 Ke8g8"},
    {"1r2k2r/8/8/8/8/8/8/R3K2R w KQ - 0 1", KING, CASTLES},
    {"4k3/8/8/8/8/8/8/R3K2R w K - 0 1", KING, "Ke1e2 Ke1d2 Ke1f2 Ke1d1 Ke1f1 Ke1g1"},
    {"4k3/8/8/8/8/8/8/RN2K2R w KQ - 0 1", KING, "Ke1e2 Ke1d2 Ke1f2 Ke1d1 Ke1f1 Ke1g1"},
    {"4k3/8/8/8/8/8/8/R3KN1R w KQ - 0 1", KING, "Ke1e2 Ke1d2 Ke1f2 Ke1d1 Ke1c1"},
    {"4k3/4r3/8/8/8/8/8/R3K2R w KQ - 0 1", KING, "Ke1d2 Ke1f2 Ke1d1 Ke1f1"},
    {"4kr2/8/8/8/8/8/8/R3K2R w KQ - 0 1", KING, "Ke1e2 Ke1d2 Ke1d1 Ke1c1"},
    {"4k1r1/8/8/8/8/8/8/R3K2R w KQ - 0 1", KING, "Ke1e2 Ke1d2 Ke1f2 Ke1d1 Ke1c1 Ke1f1"},
    // In check by a slider the step straight away from it is still written here.
    {"4r2k/8/8/8/8/8/4K3/8 w - - 0 1", KING, "Ke2d3 Ke2f3 Ke2e1 Ke2d1 Ke2f1 Ke2d2 Ke2f2"},
};

const ListCase EVASIONS[] = {
    {"4r2k/8/8/8/8/8/4K3/8 w - - 0 1", 0, "Ke2d3 Ke2f3 Ke2d1 Ke2f1 Ke2d2 Ke2f2"},
    {"4r2k/8/R7/7B/1BN5/8/4K3/8 w - - 0 1", 0,  // capture, then blocks from e7 down to e3
     "Ke2d3 Ke2f3 Ke2d1 Ke2f1 Ke2d2 Ke2f2 Bh5e8xR Bb4e7 Ra6e6 Nc4e5 Nc4e3"},
    {"4k3/8/8/b7/8/8/1PP5/4K3 w - - 0 1", 0, "Ke1e2 Ke1f2 Ke1d1 Ke1f1 Pb2b4 Pc2c3"},
    {"4k3/8/8/b7/8/1N6/1PP5/4K3 w - - 0 1", 0, "Ke1e2 Ke1f2 Ke1d1 Ke1f1 Nb3a5xB Pc2c3 Nb3d2"},
    {"4k3/1pp5/1n6/8/B7/8/8/4K3 b - - 0 1", 0, "Ke8e7 Ke8f7 Ke8d8 Ke8f8 Nb6a4xB Pc7c6 Nb6d7"},
    {"4k3/8/8/3N4/1b6/8/R3r3/4K3 w - - 0 1", 0, "Ke1e2xR Ke1d1 Ke1f1"},  // double check
    {"4k3/8/8/8/8/3n4/8/R2QK3 w - - 0 1", 0, "Ke1e2 Ke1d2 Ke1f1 Qd1d3xN"},
    {"4k3/8/8/3pP3/4K3/8/8/8 w - d6 0 1", 0, "Ke4d5xP Ke4f5 Ke4e3 Ke4d3 Ke4f3 Ke4d4 Ke4f4 Pe5d6"},
    {"2r4K/1P6/8/8/8/8/8/k7 w - - 0 1", 0, "Kh8h7 Kh8g7 Pb7c8xR=Q Pb7c8xR=N Pb7c8xR=R Pb7c8xR=B"},
};

const ListCase CHECKS[] = {
    {"4k3/8/4p3/7R/8/Q7/8/4K3 w - - 0 1", 0, "Qa3e7 Qa3f8 Rh5h8 Qa3a8 Qa3a4"},  // e6 stops Rh5e5
    {"4k3/8/8/8/8/8/8/B3K3 w - - 0 1", 0, ""},
    {"4k3/8/8/8/8/7B/8/B3K3 w - - 0 1", 0, "Bh3d7"},
    {"4k3/2B5/3p4/1N6/8/8/8/4K3 w - - 0 1", 0, "Nb5d6xP"},
    {"8/8/8/4k3/8/5P2/3P4/4K3 w - - 0 1", 0, "Pd2d4 Pf3f4"},
    {"8/8/8/4k3/8/3p1P2/3P4/4K3 w - - 0 1", 0, "Pf3f4"},
    {"8/8/8/4k3/3r4/2P2P2/8/4K3 w - - 0 1", 0, "Pc3d4xR Pf3f4"},
    {"4k3/3p4/8/8/4K3/8/8/8 b - - 0 1", 0, "Pd7d5"},
    {"5k2/1P6/8/8/8/8/8/4K2R w K - 0 1", 0, "Rh1f1 Rh1h8"},  // no castling or promotion checks
    {"7k/8/8/8/8/7B/8/K6R w - - 0 1", 0, ""},                // nor discovered ones
};

// White attacks a queen twice, a rook twice, a bishop, a knight and a pawn.
const char* const VICTIMS = "4k3/8/2n5/1P1q1p2/1b2P3/P1N5/r7/R3K3 w - - 0 1";
const char* const Q = "Nc3d5xQ Pe4d5xQ";
const char* const QR = "Nc3d5xQ Pe4d5xQ Ra1a2xR Nc3a2xR";
const char* const QRB = "Nc3d5xQ Pe4d5xQ Ra1a2xR Nc3a2xR Pa3b4xB";
const char* const QRBN = "Nc3d5xQ Pe4d5xQ Ra1a2xR Nc3a2xR Pa3b4xB Pb5c6xN";
const char* const ALL = "Nc3d5xQ Pe4d5xQ Ra1a2xR Nc3a2xR Pa3b4xB Pb5c6xN Pe4f5xP";
const struct {
    const char* fen;
    int threshold;
    const char* expected;
} CAPTURES[] = {
    {VICTIMS, -2000, ALL},
    {VICTIMS, 100, ALL},
    {VICTIMS, 101, QRBN},
    {VICTIMS, 320, QRBN},
    {VICTIMS, 321, QRB},
    {VICTIMS, 330, QRB},
    {VICTIMS, 331, QR},
    {VICTIMS, 500, QR},
    {VICTIMS, 501, Q},
    {VICTIMS, 30000, Q},
    {"4k3/8/2n5/1P3p2/4P3/8/8/4K3 w - - 0 1", 320, "Pb5c6xN"},  // no sliders to take
    {"4k3/8/2n5/1P3p2/4P3/8/8/4K3 w - - 0 1", 321, ""},
    {"4k3/8/8/3Pp3/8/8/8/4K3 w - e6 0 1", 100, "Pd5e6"},
    {"4k3/8/8/3Pp3/8/8/8/4K3 w - e6 0 1", 101, ""},
    {"4k3/8/8/8/8/8/6p1/4K2R b - - 0 1", 0, "Pg2h1xR=Q Pg2h1xR=N Pg2h1xR=R Pg2h1xR=B"},
    {"4k3/8/8/8/8/2p5/3p4/4K3 w - - 0 1", 0, "Ke1d2xP"},  // attackers are not tested
};

TEST(MovegenLists, AllMovesInTheirFixedOrder)
{
    for (const ListCase& c : ALL_MOVES) {
        ASSERT_EQ(setup_fen(c.fen), 0) << c.fen;
        ply_start[0] = 0;
        genere_all_moves(0);
        EXPECT_EQ(joined(stack_range(0, ply_start[1], c.type)), c.expected) << c.fen;
    }
}

TEST(MovegenLists, PieceTypesComeQueenRookBishopKnightPawnWhateverTheirSlots)
{
    ASSERT_EQ(setup_fen("k7/8/8/8/8/8/P7/BN1R2QK w - - 0 1"), 0);  // a1 holds the lowest slot
    ply_start[0] = 0;
    genere_all_moves(0);
    std::string groups;
    for (Move m : stack_range(0, ply_start[1]))
        if (groups.empty() || groups.back() != type_letters[move_piece(m)])
            groups += type_letters[move_piece(m)];
    EXPECT_EQ(groups, "KQRBNP");
}

TEST(MovegenLists, EvasionsLeaveTheAttackTablesAsTheyWere)
{
    for (const ListCase& c : EVASIONS) {
        ASSERT_EQ(setup_fen(c.fen), 0) << c.fen;
        uint32_t before[2][BOARD_SIZE];
        std::memcpy(before, attaques, sizeof before);
        ply_start[0] = 0;
        genere_evasions(0);
        EXPECT_EQ(joined(stack_range(0, ply_start[1])), c.expected) << c.fen;
        EXPECT_EQ(std::memcmp(before, attaques, sizeof before), 0) << c.fen;
    }
}

TEST(MovegenLists, DirectChecks)
{
    for (const ListCase& c : CHECKS) {
        ASSERT_EQ(setup_fen(c.fen), 0) << c.fen;
        EXPECT_EQ(joined(stack_range(0, genere_echecs(0))), c.expected) << c.fen;
    }
}

TEST(MovegenLists, CapturesByVictimClassDownToTheThreshold)
{
    for (const auto& c : CAPTURES) {
        ASSERT_EQ(setup_fen(c.fen), 0) << c.fen;
        EXPECT_EQ(joined(stack_range(0, genere_captures(0, c.threshold))), c.expected)
            << c.fen << " threshold " << c.threshold;
    }
}

TEST(MovegenLists, PromotionsPushThenLowerThenHigherFile)
{
    // a7 is blocked but takes on b8; c7 pushes and takes on both sides; b2 is not on its 7th.
    ASSERT_EQ(setup_fen("nr1nk3/P1P3P1/8/8/8/8/1P6/4K1N1 w - - 0 1"), 0);
    EXPECT_EQ(joined(stack_range(0, genere_promotions(0))),
              "Pa7b8xR=Q Pa7b8xR=N Pa7b8xR=R Pa7b8xR=B Pc7c8=Q Pc7c8=N Pc7c8=R Pc7c8=B "
              "Pc7b8xR=Q Pc7b8xR=N Pc7b8xR=R Pc7b8xR=B Pc7d8xN=Q Pc7d8xN=N Pc7d8xN=R Pc7d8xN=B "
              "Pg7g8=Q Pg7g8=N Pg7g8=R Pg7g8=B");
    EXPECT_EQ(joined(stack_range(0, genere_promotions_dame(0))),
              "Pa7b8xR=Q Pc7c8=Q Pc7b8xR=Q Pc7d8xN=Q Pg7g8=Q");
    ASSERT_EQ(setup_fen("4k3/8/8/8/8/8/p6p/1N2K1R1 b - - 0 1"), 0);
    EXPECT_EQ(joined(stack_range(0, genere_promotions_dame(0))),
              "Pa2a1=Q Pa2b1xN=Q Ph2h1=Q Ph2g1xR=Q");
}

TEST(MovegenLists, WritePositionsPlyStartsAndCounters)
{
    ASSERT_EQ(setup_fen(START), 0);
    const uint32_t before[5] = {genere_calls, captures_calls, promotions_calls, evasions_calls,
                                echecs_calls};
    ply_start[0] = 0;
    genere_all_moves(0);
    ASSERT_EQ(ply_start[1], 20);
    move_stack[25].score = 1234;  // scores belong to move ordering
    genere_all_moves(1);
    EXPECT_EQ(ply_start[2], 40);
    EXPECT_EQ(move_stack[20].move, move_stack[0].move);
    EXPECT_EQ(move_stack[25].score, 1234);
    EXPECT_EQ(genere_captures(500, 0), 500);
    EXPECT_EQ(genere_echecs(500), 500);
    EXPECT_EQ(genere_promotions_dame(500), 500);
    ASSERT_EQ(setup_fen("4r2k/8/8/8/8/8/4K3/8 w - - 0 1"), 0);
    ply_start[3] = 500;
    genere_evasions(3);
    EXPECT_EQ(ply_start[4], 506);
    const uint32_t after[5] = {genere_calls, captures_calls, promotions_calls, evasions_calls,
                               echecs_calls};
    const uint32_t calls[5] = {2, 1, 1, 1, 1};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(after[i], before[i] + calls[i]) << "counter " << i;
}

TEST(MovegenLists, PathCountsOfReferencePositions)
{
    const struct {
        const char* fen;
        int depth;
        uint64_t count;
    } cases[] = {
        {START, 3, 8902},
        {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 2, 2039},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 4, 43238},
        {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 3, 9467},
        {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 2, 1486},
        {"3Q4/1Q4Q1/4Q3/2Q4R/Q4Q2/3Q4/1Q4Rp/1K1BBNNk w - - 0 1", 1, 218},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(setup_fen(c.fen), 0) << c.fen;
        ply_start[0] = 0;
        EXPECT_EQ(movegen_test::count_paths(c.depth), c.count) << c.fen;
    }
}

}  // namespace
