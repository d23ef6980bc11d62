// The capture filter rule by rule on one-capture lists (tests/data; each position also
// colour-mirrored), and both quiescence levels on small tactical positions: winning a hanging
// piece, standing pat, fail-hard cutoffs with their table entry, mates, draws, and the record
// left as it was.
#include "search/quiescence.h"

#include <gtest/gtest.h>

#include <string>

#include "core/board.h"
#include "core/repetition.h"
#include "core/verify.h"
#include "eval/evaluation.h"
#include "movegen/movegen.h"
#include "movegen/notation.h"
#include "search/clock.h"
#include "search/hash.h"
#include "search/search.h"
#include "test_support.h"

namespace {

constexpr int INF = 30000;

// Puts the moves into the list of height 2, filters them, and answers how many stay; `twin`
// runs the colour-mirrored position with the moves' ranks mirrored.
int kept_after_prune(const std::string& fen, std::initializer_list<std::string> moves, int t,
                     bool twin = false)
{
    EXPECT_EQ(setup_fen(twin ? colour_mirrored_fen(fen) : fen), 0);
    ply_start[2] = 0;
    int w = 0;
    for (std::string m : moves) {
        if (twin)
            m[1] = static_cast<char>('9' - m[1] + '0'), m[3] = static_cast<char>('9' - m[3] + '0');
        move_stack[w++].move = text_to_move(m.c_str());
    }
    ply_start[3] = w;
    prune_bad_captures(2, t);
    return ply_start[3];
}

TEST(PruneBadCaptures, EachRuleOnASingleCapture)
{
    const auto rows = data_rows("bad_captures.txt");
    ASSERT_GT(rows.size(), 10u);
    for (const auto& row : rows)
        for (bool twin : {false, true})
            EXPECT_EQ(kept_after_prune(row[0], {row[1]}, std::stoi(row[2]), twin), row[3] == "yes")
                << row[0] << twin;
    // A removed entry takes the last one in its place, which is examined in turn.
    EXPECT_EQ(kept_after_prune("6k1/8/2p5/3p3r/8/8/8/3Q2K1 w - - 0 1", {"d1h5", "d1d5", "d1d5"}, 0),
              1);
    EXPECT_EQ(move_stack[0].move, text_to_move("d1h5"));
}

// Runs Quiescence, or with `super` SuperQuiescence, from the position at height 1 and checks
// that the record is as it was.
int search_from(const std::string& fen, bool super, int alpha = -INF, int beta = INF,
                std::string* printed = nullptr)
{
    EXPECT_EQ(setup_fen(fen), 0);
    clear_caches();
    root_ply = 0;
    ply_start[1] = 0;
    // Unstopped, as a think starts, and in a mode whose polls never stop it.
    search_stopped = 0;
    const int32_t mode = time_control_mode;
    time_control_mode = TC_FIXED_DEPTH;
    const Key96 key = pos()->hash_key;
    int r = 0;
    const std::string out = capture_stdout(
        [&] { r = super ? SuperQuiescence(alpha, beta, 1, 120) : Quiescence(alpha, beta, 1); });
    time_control_mode = mode;
    if (printed) *printed = out;
    EXPECT_TRUE(pos()->hash_key == key && ply == 0) << fen;
    EXPECT_EQ(capture_stdout([] { verifie_position("quiescence\n"); }), "") << fen;
    return r;
}

TEST(Quiescence, WinsHangingPiecesAndStandsPatInQuietPositions)
{
    const std::string hanging = "6k1/8/8/3r4/8/8/8/3Q2K1 w - - 0 1";
    ASSERT_EQ(setup_fen(hanging), 0);
    const int e = evaluation(-INF, INF);
    EXPECT_GE(search_from(hanging, false), e + 300);
    // A capture reaching beta answers beta exactly and leaves a lower bound with its move.
    EXPECT_EQ(search_from(hanging, false, e, e + 100), e + 100);
    Move stored = 0;
    int score = 0;
    EXPECT_EQ(hash_probe(&stored, &score, 1, 0), BOUND_LOWER);
    EXPECT_EQ(stored, text_to_move("d1d5"));
    EXPECT_EQ(score, e + 100);

    // Nothing to take or check: the stand pat, fail-soft when at or above beta.
    const std::string quiet = START;
    ASSERT_EQ(setup_fen(quiet), 0);
    const int q = evaluation(-INF, INF);
    EXPECT_EQ(search_from(quiet, false), q);
    EXPECT_EQ(search_from(quiet, true), q);
    EXPECT_EQ(search_from(quiet, false, q - 50, q - 10), q);
}

TEST(Quiescence, MatesChecksAndDraws)
{
    // Only the super level tries checking moves: Ra8 mates at the next ply.
    const std::string back_rank = "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1";
    EXPECT_EQ(search_from(back_rank, true), MATE_SCORE - 1);
    EXPECT_LT(search_from(back_rank, false), 1000);

    const std::string mated = "R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1";
    std::string out;
    EXPECT_EQ(search_from(mated, false), 1 - INF);
    EXPECT_EQ(search_from(mated, true, -INF, INF, &out), 1 - INF);
    EXPECT_EQ(out, "En echecs dans SuperQuiescenceIni\n >>  << \n");

    const int saved = draw_value;
    draw_value = 7;
    const std::string bare = "8/8/4k3/8/8/3NK3/8/8 w - - 0 1";
    EXPECT_EQ(search_from(bare, false), 7);
    EXPECT_EQ(search_from(colour_mirrored_fen(bare), true), -7);
    draw_value = saved;
}

}  // namespace
