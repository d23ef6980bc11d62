// The evaluation driver on hand-computed positions: special endings answered before the cache
// (tests/data), the lazy exits and their margins, the cache's store and hit of 16-bit values,
// the king-term blend, whole evaluations (the tempo among their terms), the lazy bound and the
// endgame king shelter.
#include "eval/evaluation.h"

#include <gtest/gtest.h>

#include "eval/endgame.h"
#include "eval/pawns.h"
#include "test_support.h"

namespace {

constexpr int INF = 30000;

void setup(const std::string& fen)
{
    ASSERT_EQ(setup_fen(fen), 0) << fen;
    clear_caches();
}

TEST(EvaluationDriver, SpecialEndingsAreExactAndNeverCached)
{
    const auto rows = data_rows("evaluation_cases.txt");
    ASSERT_GT(rows.size(), 8u);
    for (const auto& row : rows) {
        const std::string& fen = row[0];
        setup(fen);
        const uint32_t probes = eval_probes;
        const int value = evaluation(-INF, INF);
        const bool special = row[1] != "full";
        if (special) {
            EXPECT_EQ(value, std::stoi(row[1])) << fen;
        }
        EXPECT_EQ(evaluation(-INF, INF), value) << fen;
        EXPECT_EQ(eval_probes - probes, special ? 0u : 2u) << fen;
        EXPECT_EQ(eval_cell()->key1 == 0, special) << fen;
    }
}

TEST(EvaluationDriver, LazyExitsSkipTheCacheAndFullValuesAreStoredAsSixteenBits)
{
    setup("rnb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");  // a queen up
    const int s0 = pos()->score_materiel + evaluation_pions();
    ASSERT_EQ(lazy_bound(1) + lazy_bound(-1), -200);
    const uint32_t probes = eval_probes, hits = eval_hits;
    EXPECT_EQ(evaluation(-INF, s0 - 100), s0 - 100);  // s0 >= beta + 100, s1 >= beta
    EXPECT_EQ(evaluation(s0 + 100, INF), s0 + 100);   // s0 + 100 <= alpha, s1 <= alpha
    EXPECT_EQ(eval_probes, probes);
    EXPECT_EQ(eval_cell()->key1, 0u);

    const int full = evaluation(-INF, s0 - 99);  // inside the margin: evaluated and stored
    EXPECT_EQ(eval_probes, probes + 1);
    EXPECT_TRUE(eval_cell()->key1 == pos()->hash_key.w[0] && eval_cell()->value == full);
    eval_cell()->value = 1234;
    EXPECT_EQ(evaluation(s0 + 99, INF), 1234);  // a hit answers what the cell holds
    EXPECT_EQ(eval_hits, hits + 1);

    clear_caches();
    pos()->score_materiel += 40000;
    const int huge = evaluation(-100000, 100000);
    pos()->score_materiel -= 40000;
    ASSERT_GT(huge, 32767);
    EXPECT_EQ(evaluation(-INF, INF), static_cast<int16_t>(huge));
}

// White's king on g1 behind f2, g3, h2 (king safety -6, hand-counted in the king-safety tests);
// endgame shelter -10 (f1 holds a rook, g2 is empty), activity -12 (the g1 square, no pawn
// bonus): E = -22. From phase 8 safety alone, up to 4 E alone, between -6 + E x (8 - phase) / 4
// truncated: -6 - 5 = -11, -6 - 11 = -17, -6 - 16 = -22.
TEST(EvaluationDriver, KingTermsBlendByOpponentMaterial)
{
    setup("rnbq1rk1/pppppppp/8/8/8/6P1/PPPPPP1P/RNBQ1RK1 w - -");
    evaluation_pions();
    const int by_phase[10] = {-22, -22, -22, -22, -22, -22, -17, -11, -6, -6};
    for (int phase = 0; phase < 10; ++phase)
        EXPECT_EQ(king_terms(1, phase), by_phase[phase]) << phase;
}

// Whole evaluations counted by hand from the terms' rules, the arithmetic shown beside each
// position in tests/data/evaluation_totals.txt.
TEST(EvaluationDriver, HandCountedTotals)
{
    const auto rows = data_rows("evaluation_totals.txt");
    ASSERT_EQ(rows.size(), 5u);
    for (const auto& row : rows) {
        setup(row[0]);
        EXPECT_EQ(evaluation(-INF, INF), std::stoi(row[1])) << row[0];
        EXPECT_EQ(eval_cell()->value, std::stoi(row[1])) << row[0];
    }
}

TEST(EvaluationDriver, LazyBoundAndEndgameShelter)
{
    const struct {
        const char* fen;
        int (*term)(int);
        int s, value;
    } cases[] = {
        {"4k3/8/8/8/p7/8/7p/R3K3 w - -", lazy_bound, 1, -1100},  // passers on ranks 4 and 2
        {"1B4k1/8/8/8/8/8/8/6K1 w - -", lazy_bound, 1, -300},    // trapped bishops
        {"1r5k/8/8/8/8/8/2r5/K7 w - -", lazy_bound, 1, -310},    // all, by two, no flight
        {"4k3/8/8/8/4K3/8/8/3q4 w - -", endgame_king_shelter, 1, -40},
        {"3rk3/8/8/8/8/8/5PPP/6K1 w - -", endgame_king_shelter, 1, -5},
    };
    for (const auto& c : cases) {
        setup(c.fen);
        evaluation_pions();
        EXPECT_EQ(c.term(c.s), c.value) << c.fen;
    }
}

}  // namespace
