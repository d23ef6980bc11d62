// Exact lists of the generators on small positions: the fixed orders (types, slots, steps,
// promotions, en passant, direct checks), castling rules, victim classes by threshold and the
// evasion cases, which leave `attaques` unchanged. Random play checks the same generators as sets.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/board.h"
#include "core/tables.h"
#include "movegen/movegen.h"
#include "test_support.h"

namespace {

// Entries [begin, end) of the move stack as text ("Pe2e4 Pb7a8xR=Q"), those of one moving type
// only unless type is 0.
std::string listed(int begin, int end, int type = 0)
{
    std::string s;
    for (int i = begin; i < end; ++i) {
        const Move m = move_stack[i].move;
        if (type != 0 && move_piece(m) != type) continue;
        s += std::string(s.empty() ? "" : " ") + type_letters[move_piece(m)] +
             square_name(move_from(m)) + square_name(move_to(m));
        if (move_captured(m)) s += std::string("x") + type_letters[move_captured(m)];
        if (move_promotion(m)) s += std::string("=") + type_letters[move_promotion(m)];
    }
    return s;
}

struct ListCase {
    const char* fen;
    int type;  // the moving type whose entries are compared, 0 for the whole list
    const char* expected;
};

const ListCase ALL_MOVES[] = {
    {"7k/8/3p4/8/3R1P2/8/8/7K w - - 0 1", 0,
     "Kh1h2 Kh1g2 Kh1g1 Rd4d5 Rd4d6xP Rd4d3 Rd4d2 Rd4d1 Rd4e4 Rd4c4 Rd4b4 Rd4a4 Pf4f5"},
    {"4k3/8/8/8/7b/2p5/3n4/4K3 w - - 0 1", 0, "Ke1e2 Ke1d1"},  // no defended or covered square
    {"r1n1k3/1P6/8/8/8/8/8/4K3 w - - 0 1", PAWN,
     "Pb7b8=Q Pb7b8=N Pb7b8=R Pb7b8=B Pb7a8xR=Q Pb7a8xR=N Pb7a8xR=R Pb7a8xR=B Pb7c8xN=Q "
     "Pb7c8xN=N Pb7c8xN=R Pb7c8xN=B"},
    {"4k3/8/8/8/6n1/Pbp1P2p/P1P3PP/4K3 w - - 0 1", PAWN,
     "Pa2b3xB Pa3a4 Pc2b3xB Pe3e4 Pg2g3 Pg2h3xP"},  // blocked pushes, one-step g2
    {"4k3/8/8/3PpP2/8/8/8/4K3 w - e6 0 1", 0,
     "Ke1e2 Ke1d2 Ke1f2 Ke1d1 Ke1f1 Pd5d6 Pf5f6 Pd5e6 Pf5e6"},
    {"4k3/8/8/8/3pPp2/8/8/4K3 b - e3 0 1", PAWN, "Pd4d3 Pf4f3 Pd4e3 Pf4e3"},
    // Castling: right after the quiet step beside the king, never in check, across or onto an
    // attacked square, nor over an occupied one; b1 and the rooks may be attacked.
    {"1r2k2r/8/8/8/8/8/8/R3K2R w KQ - 0 1", KING, "Ke1e2 Ke1d2 Ke1f2 Ke1d1 Ke1c1 Ke1f1 Ke1g1"},
    {"4k3/8/8/8/8/8/8/RN2K2R w KQ - 0 1", KING, "Ke1e2 Ke1d2 Ke1f2 Ke1d1 Ke1f1 Ke1g1"},
    {"4k3/8/8/8/8/8/8/R3KN1R w KQ - 0 1", KING, "Ke1e2 Ke1d2 Ke1f2 Ke1d1 Ke1c1"},
    {"4k3/4r3/8/8/8/8/8/R3K2R w KQ - 0 1", KING, "Ke1d2 Ke1f2 Ke1d1 Ke1f1"},
    {"4kr2/8/8/8/8/8/8/R3K2R w KQ - 0 1", KING, "Ke1e2 Ke1d2 Ke1d1 Ke1c1"},
    {"4k1r1/8/8/8/8/8/8/R3K2R w KQ - 0 1", KING, "Ke1e2 Ke1d2 Ke1f2 Ke1d1 Ke1c1 Ke1f1"},
};

const ListCase EVASIONS[] = {
    {"4r2k/8/R7/7B/1BN5/8/4K3/8 w - - 0 1", 0,  // capture, then blocks from e7 down to e3
     "Ke2d3 Ke2f3 Ke2d1 Ke2f1 Ke2d2 Ke2f2 Bh5e8xR Bb4e7 Ra6e6 Nc4e5 Nc4e3"},
    {"4k3/8/8/b7/8/8/1PP5/4K3 w - - 0 1", 0, "Ke1e2 Ke1f2 Ke1d1 Ke1f1 Pb2b4 Pc2c3"},
    {"4k3/1pp5/1n6/8/B7/8/8/4K3 b - - 0 1", 0, "Ke8e7 Ke8f7 Ke8d8 Ke8f8 Nb6a4xB Pc7c6 Nb6d7"},
    {"4k3/8/8/3N4/1b6/8/R3r3/4K3 w - - 0 1", 0, "Ke1e2xR Ke1d1 Ke1f1"},  // double check
    {"4k3/8/8/3pP3/4K3/8/8/8 w - d6 0 1", 0, "Ke4d5xP Ke4f5 Ke4e3 Ke4d3 Ke4f3 Ke4d4 Ke4f4 Pe5d6"},
    {"2r4K/1P6/8/8/8/8/8/k7 w - - 0 1", 0, "Kh8h7 Kh8g7 Pb7c8xR=Q Pb7c8xR=N Pb7c8xR=R Pb7c8xR=B"},
};

}  // namespace

TEST(MovegenLists, AllMovesInTheirFixedOrder)
{
    for (const ListCase& c : ALL_MOVES) {
        ASSERT_EQ(setup_fen(c.fen), 0) << c.fen;
        ply_start[0] = 0;
        genere_all_moves(0);
        EXPECT_EQ(listed(0, ply_start[1], c.type), c.expected) << c.fen;
    }
}

TEST(MovegenLists, EvasionsLeaveTheAttackTablesAsTheyWere)
{
    for (const ListCase& c : EVASIONS) {
        ASSERT_EQ(setup_fen(c.fen), 0) << c.fen;
        uint32_t before[2][BOARD_SIZE];
        std::memcpy(before, attaques, sizeof before);
        ply_start[3] = 500;  // any list of the stack
        genere_evasions(3);
        EXPECT_EQ(listed(500, ply_start[4]), c.expected) << c.fen;
        EXPECT_EQ(std::memcmp(before, attaques, sizeof before), 0) << c.fen;
    }
}

TEST(MovegenLists, CapturesByVictimClassDownToTheThreshold)
{
    // White attacks a queen twice, a rook twice, a bishop, a knight and a pawn.
    ASSERT_EQ(setup_fen("4k3/8/2n5/1P1q1p2/1b2P3/P1N5/r7/R3K3 w - - 0 1"), 0);
    const std::string all = "Nc3d5xQ Pe4d5xQ Ra1a2xR Nc3a2xR Pa3b4xB Pb5c6xN Pe4f5xP";
    const int cases[][2] = {{-2000, 7}, {100, 7}, {101, 6}, {320, 6}, {321, 5},
                            {330, 5},   {331, 4}, {500, 4}, {501, 2}, {30000, 2}};
    for (const auto& [threshold, count] : cases) {
        size_t end = 0;
        for (int i = 0; i < count; ++i) end = all.find(' ', end + 1);
        EXPECT_EQ(listed(7, genere_captures(7, threshold)), all.substr(0, end)) << threshold;
    }
    const ListCase others[] = {
        {"4k3/8/8/3Pp3/8/8/8/4K3 w - e6 0 1", 100, "Pd5e6"},
        {"4k3/8/8/3Pp3/8/8/8/4K3 w - e6 0 1", 101, ""},
        {"4k3/8/8/8/8/8/6p1/4K2R b - - 0 1", 0, "Pg2h1xR=Q Pg2h1xR=N Pg2h1xR=R Pg2h1xR=B"},
        {"4k3/8/8/8/8/2p5/3p4/4K3 w - - 0 1", 0, "Ke1d2xP"},  // attackers are not tested
    };
    for (const ListCase& c : others) {
        ASSERT_EQ(setup_fen(c.fen), 0) << c.fen;
        EXPECT_EQ(listed(0, genere_captures(0, c.type)), c.expected) << c.fen;
    }
}

TEST(MovegenLists, PromotionsPushThenLowerThenHigherFile)
{
    // a7 is blocked but takes on b8; c7 pushes and takes on both sides; b2 is not on its 7th.
    ASSERT_EQ(setup_fen("nr1nk3/P1P3P1/8/8/8/8/1P6/4K1N1 w - - 0 1"), 0);
    EXPECT_EQ(listed(0, genere_promotions(0)),
              "Pa7b8xR=Q Pa7b8xR=N Pa7b8xR=R Pa7b8xR=B Pc7c8=Q Pc7c8=N Pc7c8=R Pc7c8=B "
              "Pc7b8xR=Q Pc7b8xR=N Pc7b8xR=R Pc7b8xR=B Pc7d8xN=Q Pc7d8xN=N Pc7d8xN=R Pc7d8xN=B "
              "Pg7g8=Q Pg7g8=N Pg7g8=R Pg7g8=B");
    EXPECT_EQ(listed(0, genere_promotions_dame(0)),
              "Pa7b8xR=Q Pc7c8=Q Pc7b8xR=Q Pc7d8xN=Q Pg7g8=Q");
}

// Direct checks in their fixed order: the king's orthogonal lines (+1, -1, +10, -10; the e-file
// ends at the knight), its diagonals (the d7 pawn is taken), its knight squares (f6 is White's
// own), then the pawn squares d7 and f7.
TEST(MovegenLists, ChecksByLineDiagonalKnightThenPawn)
{
    ASSERT_EQ(setup_fen("4k3/3p4/5P2/8/Q3N3/8/8/K6R w - - 0 1"), 0);
    EXPECT_EQ(listed(0, genere_echecs(0)), "Rh1h8 Qa4a8 Qa4d7xP Ne4d6 Pf6f7");
}
