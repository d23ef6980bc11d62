// Captures by victim class and threshold, attacker order, captures onto the last rank, and the
// two promotion generators.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "movegen/movegen.h"
#include "movegen_helpers.h"
#include "test_support.h"

namespace {

using movegen_test::texts;
using movegen_test::written_by;
using Texts = std::vector<std::string>;

Texts captures(int threshold)
{
    return texts(written_by([threshold](int w) { return genere_captures(w, threshold); }));
}

// White attacks a queen (twice), a rook (twice), a bishop, a knight and a pawn.
const char* const VICTIMS = "4k3/8/2n5/1P1q1p2/1b2P3/P1N5/r7/R3K3 w - - 0 1";
const Texts QUEENS = {"Nc3d5xQ", "Pe4d5xQ"};
const Texts ROOKS = {"Ra1a2xR", "Nc3a2xR"};
const Texts BISHOPS = {"Pa3b4xB"};
const Texts KNIGHTS = {"Pb5c6xN"};
const Texts PAWNS = {"Pe4f5xP"};

Texts join(std::initializer_list<Texts> parts)
{
    Texts out;
    for (const Texts& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(MovegenCaptures, VictimsMostValuableFirstAttackersLowestSlotFirst)
{
    ASSERT_EQ(setup_fen(VICTIMS), 0);
    EXPECT_EQ(captures(0), join({QUEENS, ROOKS, BISHOPS, KNIGHTS, PAWNS}));
}

TEST(MovegenCaptures, ThresholdDropsCheapVictimClasses)
{
    ASSERT_EQ(setup_fen(VICTIMS), 0);
    const Texts all = join({QUEENS, ROOKS, BISHOPS, KNIGHTS, PAWNS});
    EXPECT_EQ(captures(-2000), all);  // a signed comparison
    EXPECT_EQ(captures(100), all);
    EXPECT_EQ(captures(101), join({QUEENS, ROOKS, BISHOPS, KNIGHTS}));
    EXPECT_EQ(captures(320), join({QUEENS, ROOKS, BISHOPS, KNIGHTS}));
    EXPECT_EQ(captures(321), join({QUEENS, ROOKS, BISHOPS}));
    EXPECT_EQ(captures(330), join({QUEENS, ROOKS, BISHOPS}));
    EXPECT_EQ(captures(331), join({QUEENS, ROOKS}));
    EXPECT_EQ(captures(500), join({QUEENS, ROOKS}));
    EXPECT_EQ(captures(501), QUEENS);
    EXPECT_EQ(captures(30000), QUEENS);
}

TEST(MovegenCaptures, OpponentWithoutSlidersGivesKnightAndPawnVictimsOnly)
{
    ASSERT_EQ(setup_fen("4k3/8/2n5/1P3p2/4P3/8/8/4K3 w - - 0 1"), 0);
    EXPECT_EQ(captures(0), (Texts{"Pb5c6xN", "Pe4f5xP"}));
    EXPECT_EQ(captures(320), (Texts{"Pb5c6xN"}));
    EXPECT_TRUE(captures(321).empty());
}

TEST(MovegenCaptures, EnPassantOnlyWithPawnVictims)
{
    ASSERT_EQ(setup_fen("4k3/8/8/3Pp3/8/8/8/4K3 w - e6 0 1"), 0);
    EXPECT_EQ(captures(0), (Texts{"Pd5e6"}));
    EXPECT_TRUE(captures(101).empty());
}

TEST(MovegenCaptures, LastRankCaptureGivesFourPromotionsCarryingTheVictim)
{
    ASSERT_EQ(setup_fen("r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1"), 0);
    EXPECT_EQ(captures(0), (Texts{"Pb7a8xR=Q", "Pb7a8xR=N", "Pb7a8xR=R", "Pb7a8xR=B"}));
    EXPECT_TRUE(captures(501).empty());
    ASSERT_EQ(setup_fen("4k3/8/8/8/8/8/6p1/4K2R b - - 0 1"), 0);
    EXPECT_EQ(captures(0), (Texts{"Pg2h1xR=Q", "Pg2h1xR=N", "Pg2h1xR=R", "Pg2h1xR=B"}));
}

TEST(MovegenCaptures, AttackersAreNotTestedKingTakesDefendedPieces)
{
    // The d2 pawn is defended by c3; the king's capture is written and left to the caller.
    ASSERT_EQ(setup_fen("4k3/8/8/8/8/2p5/3p4/4K3 w - - 0 1"), 0);
    EXPECT_EQ(captures(0), (Texts{"Ke1d2xP"}));
}

TEST(MovegenCaptures, ReturnsTheWritePositionAndCountsCalls)
{
    ASSERT_EQ(setup_fen(VICTIMS), 0);
    const uint32_t calls = captures_calls;
    EXPECT_EQ(genere_captures(100, 0), 107);
    EXPECT_EQ(genere_captures(300, 501), 302);
    EXPECT_EQ(captures_calls, calls + 2);
}

TEST(MovegenPromotions, PushThenLowerThenHigherFileForEachPawnInSlotOrder)
{
    // a7 is blocked but takes on b8; c7 pushes and takes on b8 and d8; pawns elsewhere and
    // captures of own pieces give nothing.
    ASSERT_EQ(setup_fen("nr1nk3/P1P3P1/8/8/8/8/1P6/4K1N1 w - - 0 1"), 0);
    const Texts full = texts(written_by(genere_promotions));
    const Texts expected = {"Pa7b8xR=Q", "Pa7b8xR=N", "Pa7b8xR=R", "Pa7b8xR=B", "Pc7c8=Q",
                            "Pc7c8=N",   "Pc7c8=R",   "Pc7c8=B",   "Pc7b8xR=Q", "Pc7b8xR=N",
                            "Pc7b8xR=R", "Pc7b8xR=B", "Pc7d8xN=Q", "Pc7d8xN=N", "Pc7d8xN=R",
                            "Pc7d8xN=B", "Pg7g8=Q",   "Pg7g8=N",   "Pg7g8=R",   "Pg7g8=B"};
    EXPECT_EQ(full, expected);
    EXPECT_EQ(texts(written_by(genere_promotions_dame)),
              (Texts{"Pa7b8xR=Q", "Pc7c8=Q", "Pc7b8xR=Q", "Pc7d8xN=Q", "Pg7g8=Q"}));

    ASSERT_EQ(setup_fen("4k3/8/8/8/8/8/p6p/1N2K1R1 b - - 0 1"), 0);
    EXPECT_EQ(texts(written_by(genere_promotions_dame)),
              (Texts{"Pa2a1=Q", "Pa2b1xN=Q", "Ph2h1=Q", "Ph2g1xR=Q"}));
}

TEST(MovegenPromotions, BothGeneratorsShareOneCounter)
{
    ASSERT_EQ(setup_fen("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1"), 0);
    const uint32_t calls = promotions_calls;
    EXPECT_EQ(genere_promotions(10), 14);
    EXPECT_EQ(genere_promotions_dame(10), 11);
    EXPECT_EQ(promotions_calls, calls + 2);
}

}  // namespace
