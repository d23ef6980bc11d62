// The long run of random play: many more games from the same kind of start positions, with
// every generated move made and taken back under the consistency check.
#include <gtest/gtest.h>

#include "random_play.h"

namespace {

using movegen_test::PlayCounts;
using movegen_test::random_play;

const char* const START_POSITIONS[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "4k3/pppppppp/8/8/8/8/PPPPPPPP/4K3 w - - 0 1",
    "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1",
};

TEST(MovegenRandomPlaySlow, ThousandsOfGamesOfRandomPlay)
{
    PlayCounts counts;
    uint32_t seed = 777;
    for (const char* fen : START_POSITIONS)
        for (int run = 0; run < 6; ++run)
            EXPECT_EQ(random_play(fen, 2000, 300, seed++, counts), "") << fen;
    EXPECT_GT(counts.in_check, 1000);
    EXPECT_GT(counts.en_passant, 50);
}

}  // namespace
