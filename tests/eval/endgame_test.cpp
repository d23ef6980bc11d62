// Endgame terms on hand-computed positions: the drive towards an edge, king activity, passed
// pawns with and without enemy pieces, the pawn-ending races, and the colour symmetry of all of
// them (a position and its mirror image with colours and side to move swapped).
#include "eval/endgame.h"

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>

#include "eval/bitbases.h"
#include "eval/pawns.h"
#include "test_support.h"

namespace {

int sq64(const char* name)
{
    return 8 * (name[0] - 'a') + (name[1] - '1');
}

// Sets the position up and publishes its pawn flags, as the evaluation does before the terms.
void setup(const std::string& fen)
{
    ASSERT_GE(setup_fen(fen), 0) << fen;
    evaluation_pions();
}

// The position seen from the other side: ranks reversed, colours and side to move swapped.
std::string mirror_fen(const std::string& fen)
{
    std::istringstream in(fen);
    std::string board, side;
    in >> board >> side;
    std::string row;
    std::istringstream ranks(board);
    std::string out;
    while (std::getline(ranks, row, '/')) {
        for (char& ch : row)
            ch = std::isupper(static_cast<unsigned char>(ch))
                     ? static_cast<char>(std::tolower(static_cast<unsigned char>(ch)))
                     : static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        out = out.empty() ? row : row + "/" + out;
    }
    return out + (side == "w" ? " b" : " w") + " - - 0 1";
}

TEST(EndgameTest, DriveTowardsTheNearestEdge)
{
    setup("8/8/8/8/8/2K5/8/k7 w - - 0 1");
    // Rank edge, t = 0, distance 2: a2 further from the edge (-10), b1 on it (-2), b2 covered.
    EXPECT_EQ(endgame_drive(+1), -15);
    // Black's king a1 drives towards rank 8, t = 5; White's c3 has eight free or covered squares.
    EXPECT_EQ(endgame_drive(-1), -147);

    setup("8/8/6k1/3K4/8/8/8/8 w - - 0 1");
    // File edge (the h-file), t = 1, distance 3; f-squares -10, g-squares -4, h-squares +3.
    EXPECT_EQ(endgame_drive(+1), -57);
}

TEST(EndgameTest, DriveWithNoFreeSquareCostsFiftyUnlessToMove)
{
    setup("7k/5K2/8/8/8/3B4/8/8 w - - 0 1");
    EXPECT_EQ(endgame_drive(+1), -5);
    setup("7k/5K2/8/8/8/3B4/8/8 b - - 0 1");
    EXPECT_EQ(endgame_drive(+1), -55);
}

TEST(EndgameTest, KingActivityNearPassedAndIsolatedPawns)
{
    setup("k7/6K1/8/4P3/8/8/8/8 w - - 0 1");
    // Isolated e5 at distance 2 (80) + passed, f6 beside its front square at distance 1 (105).
    EXPECT_EQ(endgame_king_activity(+1), -5 + 185 / 5);
    // Black's king is four squares from e6, in front of the isolated passed pawn.
    EXPECT_EQ(endgame_king_activity(-1), -15 + 80 / 5);
    // A king on the pawn's own file looks at the file to its left, off the board on the a-file.
    setup("k7/8/8/P7/8/K7/8/8 w - - 0 1");
    EXPECT_EQ(endgame_king_activity(+1), -9 + (80 + 63) / 5);
}

TEST(EndgameTest, PassedPawnsWithoutEnemyPieces)
{
    // Two unstoppable pawns count the best one once: 700 / 2.
    setup("4k3/8/P6P/8/8/8/8/7K w - - 0 1");
    EXPECT_EQ(passed_pawns_no_pieces(+1), 350);
    setup("4k3/8/P7/8/8/8/8/7K b - - 0 1");
    EXPECT_EQ(passed_pawns_no_pieces(+1), 350);
    // One square nearer and with the move, the king catches it.
    setup("3k4/8/P7/8/8/8/8/7K b - - 0 1");
    EXPECT_EQ(passed_pawns_no_pieces(+1), 92);
    setup("2k5/P7/8/8/8/8/8/7K b - - 0 1");
    EXPECT_EQ(passed_pawns_no_pieces(+1), 156);
    setup("k7/8/8/8/8/8/P7/7K w - - 0 1");
    EXPECT_EQ(passed_pawns_no_pieces(+1), 36);
    // d5 caught (60) with e4 coming up behind it (6 * 3 / 2); e4 caught (44).
    setup("8/3k4/8/3P4/4P3/8/8/7K w - - 0 1");
    EXPECT_EQ(passed_pawns_no_pieces(+1), 60 + 9 + 44);
}

TEST(EndgameTest, PassedPawnScalingByPieces)
{
    // e4 is worth 54; two own pieces against two scale by 100 / 144, against one by 100 / 96.
    setup("1n4nk/8/8/8/4P3/8/8/KN4N1 b - - 0 1");
    EXPECT_EQ(passed_pawns_with_pieces(+1), 100 * 54 / 144);
    setup("1n5k/8/8/8/4P3/8/8/KN4N1 b - - 0 1");
    EXPECT_EQ(passed_pawns_with_pieces(+1), 100 * 54 / 96);
    // With the move the pawn is judged one step on: 3 * 86 / 4 = 64.
    setup("1n4nk/8/8/8/4P3/8/8/KN4N1 w - - 0 1");
    EXPECT_EQ(passed_pawns_with_pieces(+1), 100 * 64 / 144);
}

TEST(EndgameTest, PassedPawnBlockedByAKnight)
{
    // 54 * 3 / 6 = 27 scaled by 100 / 144, and the knight's blockade costs 25.
    setup("6nk/8/8/4n3/4P3/8/8/KN4N1 b - - 0 1");
    EXPECT_EQ(passed_pawns_with_pieces(+1), 100 * 27 / 144 - 25);
}

TEST(EndgameTest, PassedPawnsWithAFreePath)
{
    // d5 runs to d8 with e6 covering d7: (534 + 86) / 2; e6 runs alone: 150, and d5 guards it
    // (+40). One piece each: 80 / 96.
    setup("k6n/8/4P3/3P4/8/8/8/K6N b - - 0 1");
    EXPECT_EQ(passed_pawns_with_pieces(+1), 80 * (310 + 150) / 96 + 40);
    // A rook behind the pawn counts on its path: (534 + 150) / 2.
    setup("n6k/8/4P3/8/8/8/8/K3R3 b - - 0 1");
    EXPECT_EQ(passed_pawns_with_pieces(+1), 80 * 342 / 96);
}

TEST(EndgameTest, PassedPawnThatWouldBeLost)
{
    // The rook takes e5 for nothing: the pawn adds nothing.
    setup("4r2k/8/8/4P3/8/8/8/K6R b - - 0 1");
    EXPECT_EQ(passed_pawns_with_pieces(+1), 0);
    // Guarded from behind it keeps 86, but the rook controls e6, so no path bonus.
    setup("4r2k/8/8/4P3/8/8/8/K3R3 b - - 0 1");
    EXPECT_EQ(passed_pawns_with_pieces(+1), 80 * 86 / 96);
    // With the move: e6 costs nothing once the rook behind joins in, 3 * 150 / 4.
    setup("4r2k/8/8/4P3/8/8/8/K3R3 w - - 0 1");
    EXPECT_EQ(passed_pawns_with_pieces(+1), 80 * 112 / 96);
}

TEST(EndgameTest, PawnEndingRunnersAndRaces)
{
    // A lone runner one move from promotion: 130 for the pawn, 700 for the run.
    setup("8/P7/8/8/8/8/8/4K2k b - - 0 1");
    EXPECT_EQ(pawn_ending_term(), 130 + 700);
    // Both sides one move away: the side to move wins the race.
    setup("4K3/P7/8/8/8/8/7p/4k3 w - - 0 1");
    EXPECT_EQ(pawn_ending_term(), 200);
    setup("4K3/P7/8/8/8/8/7p/4k3 b - - 0 1");
    EXPECT_EQ(pawn_ending_term(), -200);
}

TEST(EndgameTest, PawnEndingSpreadOutsideAndTwoPawnBase)
{
    // a3 and h3 against no pawns: spread 100, no outside value (both distances are 8); together
    // they outrun the king, the slower one five moves from promotion.
    setup("8/8/8/4k3/8/P6P/8/4K3 w - - 0 1");
    ASSERT_TRUE(two_pawns_won(1, sq64("a3"), sq64("h3"), sq64("e5")));
    EXPECT_EQ(pawn_ending_term(), 35 + 35 + 100 + 300);
    // d5 and f5 with the king between, to move: no runner; outside values 45 and 70.
    setup("8/8/4k3/3P1P2/8/8/8/K7 b - - 0 1");
    EXPECT_EQ(pawn_ending_term(), 60 + 60 + 45 + 70);
    // Guarded pawns: e5 defended by d4 (45); outside values 45 and 45. Neither runs alone (the
    // king stands in front); together they would run at the pace of d4, four moves.
    setup("6k1/8/8/4P3/3P4/8/8/K7 b - - 0 1");
    const bool d4_e5 = two_pawns_won(0, sq64("d4"), sq64("e5"), sq64("g8"));
    EXPECT_EQ(pawn_ending_term(), 45 + 60 + 45 + 45 + 45 + (d4_e5 ? 400 : 0));
    // d5 and e5 each cover the other's front square: 60 more apiece.
    setup("6k1/8/8/3PP3/8/8/8/K7 b - - 0 1");
    const bool d5_e5 = two_pawns_won(0, sq64("d5"), sq64("e5"), sq64("g8"));
    EXPECT_EQ(pawn_ending_term(), 60 + 60 + 60 + 60 + 45 + 45 + (d5_e5 ? 500 : 0));
}

TEST(EndgameTest, ColourSymmetry)
{
    const char* positions[] = {
        "8/8/8/8/8/2K5/8/k7 w - - 0 1",      "7k/5K2/8/8/8/3B4/8/8 b - - 0 1",
        "k7/6K1/8/4P3/8/8/8/8 w - - 0 1",    "8/3k4/8/3P4/4P3/8/8/7K w - - 0 1",
        "k6n/8/4P3/3P4/8/8/8/K6N b - - 0 1", "4r2k/8/8/4P3/8/8/8/K3R3 w - - 0 1",
        "4K3/P7/8/8/8/8/7p/4k3 b - - 0 1",   "8/2p3k1/8/1P2pP2/8/3r4/4R1PK/8 w - - 0 1",
        "6k1/8/8/4P3/3P4/8/p7/K7 b - - 0 1",
    };
    for (const char* fen : positions) {
        setup(fen);
        const int drive[2] = {endgame_drive(+1), endgame_drive(-1)};
        const int activity[2] = {endgame_king_activity(+1), endgame_king_activity(-1)};
        const int with[2] = {passed_pawns_with_pieces(+1), passed_pawns_with_pieces(-1)};
        const int without[2] = {passed_pawns_no_pieces(+1), passed_pawns_no_pieces(-1)};
        const int ending = pawn_ending_term();
        const std::string mirrored = mirror_fen(fen);
        setup(mirrored);
        EXPECT_EQ(endgame_drive(-1), drive[0]) << fen;
        EXPECT_EQ(endgame_drive(+1), drive[1]) << fen;
        EXPECT_EQ(endgame_king_activity(-1), activity[0]) << fen;
        EXPECT_EQ(endgame_king_activity(+1), activity[1]) << fen;
        EXPECT_EQ(passed_pawns_with_pieces(-1), with[0]) << fen;
        EXPECT_EQ(passed_pawns_with_pieces(+1), with[1]) << fen;
        EXPECT_EQ(passed_pawns_no_pieces(-1), without[0]) << fen;
        EXPECT_EQ(passed_pawns_no_pieces(+1), without[1]) << fen;
        EXPECT_EQ(pawn_ending_term(), -ending) << fen;
    }
}

}  // namespace
