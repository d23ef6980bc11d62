// Random play from the start positions of random_play.h, kept to a few seconds here
// (random_play_slow.cpp runs the same walk much longer).
#include "random_play.h"

#include <gtest/gtest.h>

TEST(MovegenRandomPlay, GeneratorsAndMakeUnmakeAgreeOverRandomGames)
{
    movegen_test::PlayCounts counts;
    uint32_t seed = 12345;
    for (const char* fen : movegen_test::START_POSITIONS)
        EXPECT_EQ(movegen_test::random_play(fen, 450, 120, seed++, counts), "") << fen;
    // The walk must have met the cases it is meant to check.
    EXPECT_TRUE(counts.in_check > 50 && counts.promotions > 100 && counts.direct_checks > 1000);
    EXPECT_GT(counts.en_passant, 0);
}
