// Piece terms: hand-computed values of small positions for each routine, with what they add to
// the mobility and penalty accumulators (never overwrite).
#include "eval/pieces.h"

#include <gtest/gtest.h>

#include "eval/pawns.h"
#include "test_support.h"

namespace {

struct Case {
    int (*routine)(int);
    int s;
    const char* fen;
    int value, mobility, penalty_white, penalty_black;
};

const Case CASES[] = {
    // Knights: eight safe squares on d4, (128 x 8) >> 6; d7 takes c6 and e6 and the rook on f5
    // is attacked (+10); a1 without a safe square: rim penalty 15 and -10, and no trap for White.
    {knight_terms, 1, "7k/8/8/8/3N4/8/8/7K w - - 0 1", 16, 0, 0, 0},
    {knight_terms, 1, "7k/3p4/8/5r2/3N4/8/8/7K w - - 0 1", 13 + 10, 0, 0, 0},
    {knight_terms, 1, "7k/8/8/8/8/1P6/2P5/N6K w - - 0 1", -10, 0, 15, 0},
    // Black knight trapped on a1 (exchange capped at 175): c2 covered by the king, b3 by a2;
    // without the a2 pawn no trap (a bishop on b3 adds 5).
    {knight_terms, -1, "7k/8/8/8/8/8/P7/n2K4 b - - 0 1", -175, 0, 0, 15},
    {knight_terms, -1, "7k/8/8/8/8/1B6/8/n2K4 b - - 0 1", 5, 0, 0, 15},
    // e5 outpost: six safe squares 18, square value 10 and outpost 18; with an isolated pawn in
    // front, square value again plus 8 per defending pawn; f7 could chase it: no outpost; with
    // the rooks gone the phase is too low for placement terms.
    {knight_terms, 1, "r4rk1/pp5p/8/4N3/3P1P2/8/P6P/R4RK1 w - - 0 1", 18 + 10 + 18, 0, 0, 0},
    {knight_terms, 1, "r4rk1/pp5p/4p3/4N3/3P1P2/8/P6P/R4RK1 w - - 0 1", 18 + 20 + 16, 0, 0, 0},
    {knight_terms, 1, "r4rk1/pp3p1p/8/4N3/3P1P2/8/P6P/R4RK1 w - - 0 1", 16 + 10, 0, 0, 0},
    {knight_terms, 1, "6k1/pp5p/8/4N3/3P1P2/8/P6P/6K1 w - - 0 1", 18, 0, 0, 0},
    // Bishops: trapped on h7 by f7 and g6 (-200, square value -2); walled in on c1 (penalty 10,
    // -10, square value -4); x-rays along a1-h8: knight first 5, queen second 15, king third 10.
    {bishop_terms, 1, "k7/5p1B/6p1/8/8/8/8/K7 w - - 0 1", -202, 20, 0, 0},
    {bishop_terms, 1, "k7/8/8/8/8/1P1P4/1P1P4/2B4K w - - 0 1", -14, 0, 10, 0},
    {bishop_terms, 1, "8/6k1/8/4q3/8/2n5/8/B6K w - - 0 1", 30, 20, 5, 0},
    // Rooks: two on an open file, 10 + 20 then 10; seventh rank on the pawn base with the king
    // behind, 13 + 8 and open file 10.
    {rook_terms, 1, "k7/8/8/8/8/8/3R4/3R3K w - - 0 1", 40, 285, 0, 0},
    {rook_terms, 1, "6k1/3R3p/8/8/8/8/8/7K w - - 0 1", 31, 195, 0, 0},
    // Boxed on a1 behind the passed a2 pawn (15, penalty 10): by the king on b1, -30; by the
    // king on c1 only with pawns on the b-file, -(30 - 5 x 1).
    {rook_terms, 1, "k7/7p/8/8/8/8/P7/RK6 w - - 0 1", -15, 0, 10, 0},
    {rook_terms, 1, "k7/7p/8/8/8/8/P7/R1K5 w - - 0 1", 15, 15, 10, 0},
    {rook_terms, 1, "k7/7p/8/8/8/8/PP6/R1K5 w - - 0 1", -10, 15, 10, 0},
    // Behind an own pawn on a closed file: penalty 10.
    {rook_terms, 1, "k7/3p4/8/8/8/3P4/8/3R3K w - - 0 1", 0, 105, 10, 0},
    // Queens: one knight between d1 and the king on d8 scores 15 (square value -5); the king
    // first on the line scores nothing, and the corner costs 15.
    {queen_terms, 1, "3k4/8/8/8/3N4/8/8/3Q3K w - - 0 1", 10, 150, 0, 0},
    {queen_terms, 1, "7k/8/8/8/8/8/8/Q6K b - - 0 1", -15, 190, 0, 0},
};

// Each routine adds to the accumulators: they start at 1000, 7 (White) and 3 (Black).
TEST(PieceTerms, HandComputedValuesAddedToTheAccumulators)
{
    for (const Case& c : CASES) {
        SCOPED_TRACE(c.fen);
        ASSERT_EQ(setup_fen(c.fen), 0);
        evaluation_pions();
        mobility_total = 1000;
        penalty[1] = 7;
        penalty[0] = 3;
        EXPECT_EQ(c.routine(c.s), c.value);
        EXPECT_EQ(mobility_total, 1000 + c.mobility);
        EXPECT_EQ(penalty[1], 7 + c.penalty_white);
        EXPECT_EQ(penalty[0], 3 + c.penalty_black);
    }
}

}  // namespace
