// Whole thinks on positions with a known result: mates in one to three with the exact mate
// score and first move (also colour-mirrored), the early end of a think once a mate lies within
// the depth, mate scores kept relative to their node in the table, and draws and root mates.
#include <gtest/gtest.h>

#include "core/position_snapshot.h"
#include "movegen/notation.h"
#include "search/search.h"
#include "think_support.h"

namespace {

TEST(Mates, FoundAtFixedDepthWithExactScoreAndMove)
{
    ThinkSettings settings;
    const struct {
        const char* fen;
        int plies;
        const char* move;
    } cases[] = {
        {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 1, "a1a8"},
        {"r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4", 1, "h5f7"},
        {"7k/8/5K2/8/8/8/8/6R1 w - - 0 1", 3, "f6f7"},
        {"r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 1", 3, "d5f6"},
        {"kbK5/pp6/1P6/8/8/8/8/R7 w - - 0 1", 3, "a1a6"},
        {"1rb4r/pkPp3p/1b1P3n/1Q6/N3Pp2/8/P1P3PP/7K w - - 1 1", 3, "b5d5"},
        {"r1b1kb1r/pppp1ppp/5q2/4n3/3KP3/2N3PN/PPP4P/R1BQ1B1R b kq - 0 1", 5, "f8c5"},
    };
    for (const auto& c : cases)
        for (const std::string& fen : {std::string(c.fen), colour_mirrored_fen(c.fen)}) {
            // A deeper limit than needed: the think ends with the iteration that found the mate.
            ThinkSettings::fixed_depth(c.plies + 3);
            ASSERT_EQ(setup_fen(fen), 0) << fen;
            const PositionSnapshot before = take_snapshot();
            const Move m = think(fen);
            EXPECT_EQ(last_score, MAX_SCORE - c.plies) << fen;
            EXPECT_EQ(iteration_depth, c.plies) << fen;
            if (fen == c.fen) {
                EXPECT_EQ(m, text_to_move(c.move)) << fen;
            }
            EXPECT_EQ(first_difference(before, take_snapshot()), "") << fen;
        }
}

TEST(Mates, TableKeepsMateScoresRelativeToTheirNode)
{
    ThinkSettings settings;
    ThinkSettings::fixed_depth(3);
    const Move m = think("7k/8/5K2/8/8/8/8/6R1 w - - 0 1");
    ASSERT_EQ(m, text_to_move("f6f7"));
    ASSERT_NE(hash_find(), nullptr);
    EXPECT_EQ(hash_find()->score, MAX_SCORE - 3);
    make_move(m);  // two plies on, the same mate is one move away
    make_move(text_to_move("h8h7"));
    ASSERT_NE(hash_find(), nullptr);
    EXPECT_EQ(hash_find()->score, MATE_SCORE);
    EXPECT_EQ(hash_best_move(), text_to_move("g1h1"));
}

TEST(Mates, DrawsAndRootsWithoutMovesScoreFromTheSideToMove)
{
    ThinkSettings settings;
    ThinkSettings::fixed_depth(2);
    draw_value = 25;  // for White
    const struct {
        const char* fen;
        bool has_move;
        int score;  // from the side to move's view
    } cases[] = {
        {"4k3/8/8/8/8/8/1q6/K7 w - - 0 1", true, 25},  // Kxb2 leaves two bare kings
        {"4K3/8/8/8/8/8/1Q6/k7 b - - 0 1", true, -25},
        {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", false, -25},         // stalemate at the root
        {"7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", false, -MAX_SCORE},  // mated at the root
    };
    for (const auto& c : cases) {
        ASSERT_EQ(setup_fen(c.fen), 0) << c.fen;
        const PositionSnapshot before = take_snapshot();
        EXPECT_EQ(think(c.fen) != 0, c.has_move) << c.fen;
        EXPECT_EQ(last_score, c.score) << c.fen;
        EXPECT_EQ(first_difference(before, take_snapshot()), "") << c.fen;
    }
}

}  // namespace
