// The long run of random play: hundreds of games from the start positions of random_play.h.
#include <gtest/gtest.h>

#include "random_play.h"

TEST(MovegenRandomPlaySlow, ThousandsOfPliesOfRandomPlay)
{
    movegen_test::PlayCounts counts;
    uint32_t seed = 777;
    for (const char* fen : movegen_test::START_POSITIONS)
        for (int run = 0; run < 8; ++run)
            EXPECT_EQ(movegen_test::random_play(fen, 2000, 300, seed++, counts), "") << fen;
    EXPECT_TRUE(counts.in_check > 1000 && counts.en_passant > 50);
}
