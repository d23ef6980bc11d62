// Piece terms: hand-computed values of small positions for each routine, what they add to the
// mobility and penalty accumulators, and the equality of every term between a position and its
// colour-mirrored twin.
#include "eval/pieces.h"

#include <gtest/gtest.h>

#include <string>

#include "eval/pawns.h"
#include "test_support.h"

namespace {

struct Terms {
    int value;
    int mobility;
    int penalty_white;
    int penalty_black;
};

// Sets up fen, publishes its pawn flags and runs one routine from cleared accumulators.
Terms run(const std::string& fen, int (*routine)(int), int s)
{
    EXPECT_GE(setup_fen(fen), 0) << fen;
    evaluation_pions();
    mobility_total = 0;
    penalty[0] = penalty[1] = 0;
    const int value = routine(s);
    return {value, mobility_total, penalty[1], penalty[0]};
}

void expect_terms(const Terms& t, int value, int mobility, int penalty_white, int penalty_black)
{
    EXPECT_EQ(t.value, value);
    EXPECT_EQ(t.mobility, mobility);
    EXPECT_EQ(t.penalty_white, penalty_white);
    EXPECT_EQ(t.penalty_black, penalty_black);
}

}  // namespace

TEST(PiecesTest, KnightMobilityAndAttackBonus)
{
    // Eight safe squares on d4: (128 x 8) >> 6.
    expect_terms(run("7k/8/8/8/3N4/8/8/7K w - - 0 1", knight_terms, 1), 16, 0, 0, 0);
    // d7 takes c6 and e6, the rook on f5 is attacked: five safe squares and a bonus of 10.
    expect_terms(run("7k/3p4/8/5r2/3N4/8/8/7K w - - 0 1", knight_terms, 1), 13 + 10, 0, 0, 0);
    // No safe square on a1: rim penalty 15 and -10, and a1 is no trap for a White knight.
    expect_terms(run("7k/8/8/8/8/1P6/2P5/N6K w - - 0 1", knight_terms, 1), -10, 0, 15, 0);
}

TEST(PiecesTest, KnightOnTrapSquare)
{
    // Black knight a1: escape c2 covered by the king, b3 by the a2 pawn: the exchange loses
    // the knight, capped at 175.
    expect_terms(run("7k/8/8/8/8/8/P7/n2K4 b - - 0 1", knight_terms, -1), -175, 0, 0, 15);
    // The rook on c8 guards c2: the knight no longer loses anything there.
    expect_terms(run("2r4k/8/8/8/8/8/P7/n2K4 b - - 0 1", knight_terms, -1), 0, 0, 0, 15);
    // b3 holds a bishop (bonus 5); trapped only while a pawn attacks b3.
    expect_terms(run("7k/8/8/8/8/1B6/P7/n2K4 b - - 0 1", knight_terms, -1), 5 - 175, 0, 0, 15);
    expect_terms(run("7k/8/8/8/8/1B6/8/n2K4 b - - 0 1", knight_terms, -1), 5, 0, 0, 15);
    // A pawn defending the corner knight lifts the trap.
    expect_terms(run("7k/8/8/8/8/8/Pp6/n2K4 b - - 0 1", knight_terms, -1), 0, 0, 0, 15);
}

TEST(PiecesTest, KnightMiddleGamePlacement)
{
    // e5 knight, six safe squares ((116 x 10) >> 6 = 18), square value 10 once more and the
    // outpost bonus 18.
    const char* outpost = "r4rk1/pp5p/8/4N3/3P1P2/8/P6P/R4RK1 w - - 0 1";
    expect_terms(run(outpost, knight_terms, 1), 18 + 10 + 18, 0, 0, 0);
    // An isolated pawn in front: square value again plus 8 per defending pawn instead.
    const char* hole = "r4rk1/pp5p/4p3/4N3/3P1P2/8/P6P/R4RK1 w - - 0 1";
    expect_terms(run(hole, knight_terms, 1), 18 + 10 + 10 + 16, 0, 0, 0);
    // f7 can still come down to chase the knight: no outpost (and f7 is no safe square).
    const char* chased = "r4rk1/pp3p1p/8/4N3/3P1P2/8/P6P/R4RK1 w - - 0 1";
    expect_terms(run(chased, knight_terms, 1), 16 + 10, 0, 0, 0);
    // Without the rooks the phase is too low for placement terms.
    expect_terms(run("6k1/pp5p/8/4N3/3P1P2/8/P6P/6K1 w - - 0 1", knight_terms, 1), 18, 0, 0, 0);
}

TEST(PiecesTest, BishopTermsAndTraps)
{
    // h7 with f7, g6 and one free square: trapped (-200), square value -2.
    expect_terms(run("k7/5p1B/6p1/8/8/8/8/K7 w - - 0 1", bishop_terms, 1), -202, 20, 0, 0);
    // c1 walled in by b2, d2 with b3, d3 taken: penalty 10, -10 and square value -4.
    expect_terms(run("k7/8/8/8/8/1P1P4/1P1P4/2B4K w - - 0 1", bishop_terms, 1), -14, 0, 10, 0);
    // a4 with an own pawn on b3: -13 plus square value -3; four free squares.
    expect_terms(run("k7/8/8/8/B7/1P6/8/7K w - - 0 1", bishop_terms, 1), -16, 80, 0, 0);
    // X-rays along a1-h8: knight first 5, queen second 15, king third 10.
    expect_terms(run("8/6k1/8/4q3/8/2n5/8/B6K w - - 0 1", bishop_terms, 1), 30, 20, 5, 0);
    // An own pawn in the way ends the line before the queen and king behind it.
    expect_terms(run("8/6k1/8/4q3/3P4/2n5/8/B6K w - - 0 1", bishop_terms, 1), 5, 20, 5, 0);
}

TEST(PiecesTest, RookFilesAndRanks)
{
    // Two rooks on an open file: 10 + 20 for the first, 10 for the second.
    expect_terms(run("k7/8/8/8/8/8/3R4/3R3K w - - 0 1", rook_terms, 1), 40, 285, 0, 0);
    // Seventh rank on the pawn base with the king behind it: 13 + 8, open file 10.
    expect_terms(run("6k1/3R3p/8/8/8/8/8/7K w - - 0 1", rook_terms, 1), 31, 195, 0, 0);
    // Beyond the pawn base with the king behind: 7 + 16, open file 10.
    expect_terms(run("6k1/3R4/7p/8/8/8/8/7K w - - 0 1", rook_terms, 1), 33, 210, 0, 0);
    // A half-open file with the opponent's passed pawn on it: 5 + 7.
    expect_terms(run("6k1/8/8/8/8/3p4/8/3R3K w - - 0 1", rook_terms, 1), 12, 105, 0, 0);
    // Behind its own pawn on a closed file: penalty 10.
    expect_terms(run("k7/3p4/8/8/8/3P4/8/3R3K w - - 0 1", rook_terms, 1), 0, 105, 10, 0);
    // In front of its own pawn facing a pawn one rank ahead: -15.
    expect_terms(run("k7/8/8/3p4/3R4/8/3P4/7K w - - 0 1", rook_terms, 1), -15, 120, 0, 0);
    // Past the opponent's rearmost pawn of its file: 10, and 7 + 16 beyond the pawn base.
    expect_terms(run("k7/8/8/3R4/3p4/8/3P4/7K w - - 0 1", rook_terms, 1), 33, 150, 0, 0);
}

TEST(PiecesTest, BoxedRook)
{
    // a1 behind the passed a2 pawn (15, penalty 10), boxed by the king on b1: -30.
    expect_terms(run("k7/7p/8/8/8/8/P7/RK6 w - - 0 1", rook_terms, 1), -15, 0, 10, 0);
    // King on c1 boxes it only with pawns on the b-file: -(30 - 5 x 1).
    expect_terms(run("k7/7p/8/8/8/8/P7/R1K5 w - - 0 1", rook_terms, 1), 15, 15, 10, 0);
    expect_terms(run("k7/7p/8/8/8/8/PP6/R1K5 w - - 0 1", rook_terms, 1), -10, 15, 10, 0);
}

TEST(PiecesTest, QueenLineAndMobility)
{
    // One knight between the queen on d1 and the king on d8: 15, square value -5.
    expect_terms(run("3k4/8/8/8/3N4/8/8/3Q3K w - - 0 1", queen_terms, 1), 10, 150, 0, 0);
    // A pawn between ends the line.
    expect_terms(run("3k4/8/8/8/3P4/8/8/3Q3K w - - 0 1", queen_terms, 1), -5, 150, 0, 0);
    // The king first on the line scores nothing; a queen in the corner loses 15.
    expect_terms(run("7k/8/8/8/8/8/8/Q6K b - - 0 1", queen_terms, 1), -15, 190, 0, 0);
}

TEST(PiecesTest, RoutinesAddToTheAccumulators)
{
    setup_fen("6k1/3R3p/8/8/8/8/8/7K w - - 0 1");
    evaluation_pions();
    mobility_total = 1000;
    penalty[0] = 7;
    penalty[1] = 3;
    rook_terms(1);
    rook_terms(1);
    EXPECT_EQ(mobility_total, 1000 + 2 * 195);
    EXPECT_EQ(penalty[1], 3);
    EXPECT_EQ(penalty[0], 7);
    setup_fen("k7/3p4/8/8/8/3P4/8/3R3K w - - 0 1");
    evaluation_pions();
    rook_terms(1);
    EXPECT_EQ(penalty[1], 13);
    EXPECT_EQ(penalty[0], 7);
}

TEST(PiecesTest, MirroredTwinScoresTheSame)
{
    const char* fens[] = {
        "r1bqk2r/pp1nbppp/2p1pn2/3p2B1/2PP4/2N1PN2/PP3PPP/R2QKB1R w - - 0 1",
        "r4rk1/pp5p/4p3/4N3/3P1P2/8/P6P/R4RK1 w - - 0 1",
        "2rr2k1/1p3ppp/p1n1b3/3pN3/3P4/P1B1P3/1P3PPP/2RR2K1 b - - 0 1",
        "r1b2rk1/pp3pBp/2n3p1/q7/8/2N2N2/PPP2PPP/R2QR1K1 w - - 0 1",
        "7k/5p1B/6p1/8/8/8/8/K7 w - - 0 1",
        "7k/8/8/8/8/1B6/P7/n2K4 b - - 0 1",
        "k7/7p/8/8/8/8/PP6/R1K5 w - - 0 1",
        "3k4/8/8/8/3N4/8/8/3Q3K w - - 0 1",
        "rn2k1nr/p1p2ppp/8/8/3q4/8/PPP2PPP/RNB1KBNR w - - 0 1",
    };
    int (*routines[])(int) = {knight_terms, bishop_terms, rook_terms, queen_terms};
    for (const char* fen : fens) {
        const std::string twin = colour_mirrored_fen(fen);
        for (auto routine : routines) {
            for (int s : {1, -1}) {
                const Terms a = run(fen, routine, s);
                const Terms b = run(twin, routine, -s);
                EXPECT_EQ(a.value, b.value) << fen << " s=" << s;
                EXPECT_EQ(a.mobility, b.mobility) << fen << " s=" << s;
                EXPECT_EQ(a.penalty_white, b.penalty_black) << fen << " s=" << s;
                EXPECT_EQ(a.penalty_black, b.penalty_white) << fen << " s=" << s;
            }
        }
    }
}
