// Endgame terms on hand-computed positions: the drive towards an edge, king activity, passed
// pawns with and without enemy pieces, and the pawn-ending races.
#include "eval/endgame.h"

#include <gtest/gtest.h>

#include "eval/pawns.h"
#include "test_support.h"

namespace {

int pawn_ending(int)
{
    return pawn_ending_term();
}

struct Case {
    int (*term)(int);
    int s;
    const char* fen;
    int expected;
};

const Case CASES[] = {
    // Drive: rank edge, t = 0, distance 2: a2 further from the edge (-10), b1 on it (-2), b2
    // covered. For Black, a1 drives towards rank 8, t = 5, around White's king on c3.
    {endgame_drive, +1, "8/8/8/8/8/2K5/8/k7 w - - 0 1", -15},
    {endgame_drive, -1, "8/8/8/8/8/2K5/8/k7 w - - 0 1", -147},
    // File edge (the h-file), t = 1, distance 3; f-squares -10, g-squares -4, h-squares +3.
    {endgame_drive, +1, "8/8/6k1/3K4/8/8/8/8 w - - 0 1", -57},
    // No free square costs 50 unless the driving side is to move.
    {endgame_drive, +1, "7k/5K2/8/8/8/3B4/8/8 w - - 0 1", -5},
    {endgame_drive, +1, "7k/5K2/8/8/8/3B4/8/8 b - - 0 1", -55},
    // Activity: isolated e5 at distance 2 (80) + passed, f6 beside its front square at distance
    // 1 (105); Black's king is four squares from e6, in front of the isolated passed pawn.
    {endgame_king_activity, +1, "k7/6K1/8/4P3/8/8/8/8 w - - 0 1", -5 + 185 / 5},
    {endgame_king_activity, -1, "k7/6K1/8/4P3/8/8/8/8 w - - 0 1", -15 + 80 / 5},
    // A king on the pawn's own file looks at the file to its left, off the board on the a-file.
    {endgame_king_activity, +1, "k7/8/8/P7/8/K7/8/8 w - - 0 1", -9 + (80 + 63) / 5},
    // No enemy pieces: unstoppable pawns count the best once, 700 / 2.
    {passed_pawns_no_pieces, +1, "4k3/8/P6P/8/8/8/8/7K w - - 0 1", 350},
    // One square nearer and with the move, the king catches it.
    {passed_pawns_no_pieces, +1, "3k4/8/P7/8/8/8/8/7K b - - 0 1", 92},
    // d5 caught (60) with e4 coming up behind it (6 * 3 / 2); e4 caught (44).
    {passed_pawns_no_pieces, +1, "8/3k4/8/3P4/4P3/8/8/7K w - - 0 1", 60 + 9 + 44},
    // With pieces: e4 is worth 54; two own pieces against one scale by 100 / 96, against two
    // by 100 / 144; with the move the pawn is judged one step on, 3 * 86 / 4 = 64.
    {passed_pawns_with_pieces, +1, "1n5k/8/8/8/4P3/8/8/KN4N1 b - - 0 1", 100 * 54 / 96},
    {passed_pawns_with_pieces, +1, "1n4nk/8/8/8/4P3/8/8/KN4N1 w - - 0 1", 100 * 64 / 144},
    // Blocked by a knight: 54 * 3 / 6 = 27, and the blockade costs 25.
    {passed_pawns_with_pieces, +1, "6nk/8/8/4n3/4P3/8/8/KN4N1 b - - 0 1", 100 * 27 / 144 - 25},
    // d5 runs to d8 with e6 covering d7: (534 + 86) / 2; e6 runs alone: 150, guarded by d5 (+40).
    {passed_pawns_with_pieces, +1, "k6n/8/4P3/3P4/8/8/8/K6N b - - 0 1", 80 * 460 / 96 + 40},
    // The rook takes e5 for nothing; guarded from behind, with the move, e6 costs nothing
    // once the rook behind joins in: 3 * 150 / 4.
    {passed_pawns_with_pieces, +1, "4r2k/8/8/4P3/8/8/8/K6R b - - 0 1", 0},
    {passed_pawns_with_pieces, +1, "4r2k/8/8/4P3/8/8/8/K3R3 w - - 0 1", 80 * 112 / 96},
    // Pawn endings: a lone runner one move from promotion, 130 + 700; two such runners, the
    // side to move wins the race.
    {pawn_ending, 0, "8/P7/8/8/8/8/8/4K2k b - - 0 1", 130 + 700},
    {pawn_ending, 0, "4K3/P7/8/8/8/8/7p/4k3 w - - 0 1", 200},
    {pawn_ending, 0, "4K3/P7/8/8/8/8/7p/4k3 b - - 0 1", -200},
    // a3 and h3 against no pawns: spread 100, no outside value (both distances are 8); together
    // they outrun the king, the slower one five moves from promotion.
    {pawn_ending, 0, "8/8/8/4k3/8/P6P/8/4K3 w - - 0 1", 35 + 35 + 100 + 300},
    // d5 and f5 with the king between, to move: no runner; outside values 45 and 70.
    {pawn_ending, 0, "8/8/4k3/3P1P2/8/8/8/K7 b - - 0 1", 60 + 60 + 45 + 70},
    // e5 defended by d4 (45), outside values 45 and 45; the king in front stops them, alone
    // or together.
    {pawn_ending, 0, "6k1/8/8/4P3/3P4/8/8/K7 b - - 0 1", 45 + 60 + 45 + 45 + 45},
};

TEST(EndgameTerms, HandComputedPositions)
{
    for (const Case& c : CASES) {
        ASSERT_EQ(setup_fen(c.fen), 0) << c.fen;
        evaluation_pions();  // publishes the pawn flags, as the evaluation does first
        EXPECT_EQ(c.term(c.s), c.expected) << c.fen << " s=" << c.s;
    }
}

}  // namespace
