// Random play from several positions (castling, en passant, promotions, checks): the proof of
// the generators together with make/unmake, kept to a few seconds here; a longer run of the
// same walk lives in random_play_slow.cpp.
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
};

TEST(MovegenRandomPlay, GeneratorsAndMakeUnmakeAgreeOverRandomGames)
{
    PlayCounts counts;
    uint32_t seed = 12345;
    for (const char* fen : START_POSITIONS)
        EXPECT_EQ(random_play(fen, 500, 120, seed++, counts), "") << fen;
    // The walk must have met the cases it is meant to check.
    EXPECT_GT(counts.in_check, 20);
    EXPECT_GT(counts.promotions, 20);
    EXPECT_GT(counts.direct_checks, 100);
    EXPECT_GT(counts.castlings, 10);
    EXPECT_GT(counts.en_passant, 0);
}

}  // namespace
