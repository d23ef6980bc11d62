// The evaluation driver on hand-computed positions: special endings answered before the cache,
// the lazy exits and their margins, the cache's store and hit of 16-bit values, the tempo, the
// king-term blend, the lazy bound and the endgame king shelter.
#include "eval/evaluation.h"

#include <gtest/gtest.h>

#include "eval/endgame.h"
#include "eval/kingsafety.h"
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
    constexpr int NOT_SPECIAL = 1 << 20;  // goes on to the full evaluation, which is cached
    const std::pair<const char*, int> cases[] = {
        // KPK: 5 (rank + 10) + 3 dist(defender, front) - dist(king, front), 5 x 160 more if won.
        {"8/4k3/8/4K3/4P3/8/8/8 w - -", 76},
        {"8/4k3/8/4K3/4P3/8/8/8 b - -", -876},
        // KBNK: corner value - Euclidean distance x 8 + 750, or + 740 for the defender to move.
        {"k7/8/2K5/8/8/8/8/5N1B w - -", 828},  // light bishop: a8 counts 100
        {"7k/8/5K2/8/8/8/8/B1N5 b - -", -818},
        {"7k/5K2/5N2/8/8/8/8/B7 b - -", 0},  // defender to move, no free square
        // Bishop and rook's pawns of the wrong colour: a draw once the king holds the corner.
        {"1k6/8/8/8/8/P7/8/B3K3 w - -", 0},
        {"1k6/8/8/8/8/P7/8/1B2K3 w - -", NOT_SPECIAL},  // the bishop controls a8
        {"8/8/2k5/P7/8/8/8/B3K3 w - -", NOT_SPECIAL},   // 2 + 1 moves, 3 to promote: too late
        {"8/8/2k5/P7/8/8/8/B3K3 b - -", 0},             // a tempo more for the defender
        {"b3k3/8/p7/8/8/8/8/1K6 b - -", 0},
    };
    for (const auto& [fen, expected] : cases) {
        setup(fen);
        const uint32_t probes = eval_probes;
        const int value = evaluation(-INF, INF);
        const bool special = expected != NOT_SPECIAL;
        if (special) {
            EXPECT_EQ(value, expected) << fen;
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

// The middle-game tempo is the only side-to-move term here, so the values with White and with
// Black to move add up to twice the tempo or to nothing.
TEST(EvaluationDriver, TempoOnlyInTheMiddleGame)
{
    const std::pair<const char*, int> cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR", 10},
        {"4k3/8/8/3p4/3P4/8/8/4K3", 0},    // pawns only
        {"4k3/p7/3r4/8/8/3R4/P7/4K3", 0},  // endgame
    };
    for (const auto& [board, sum] : cases) {
        setup(std::string(board) + " w - -");
        const int white = evaluation(-INF, INF);
        setup(std::string(board) + " b - -");
        EXPECT_EQ(white + evaluation(-INF, INF), sum) << board;
    }
}

TEST(EvaluationDriver, KingTermsBlendByOpponentMaterial)
{
    // The endgame king terms add up to -1 and to 15 here: truncation towards zero, and scaling
    // before the division, both show.
    for (const char* fen : {"3rk3/8/8/3q4/8/5P2/P2K3P/8 w - -", "3rk3/8/8/3q4/8/8/P4PKP/8 w - -"}) {
        setup(fen);
        evaluation_pions();
        const int safety = securite_roi(1);
        const int endgame = endgame_king_shelter(1) + endgame_king_activity(1);
        ASSERT_NE(endgame % 4, 0) << fen;
        const int quarters[10] = {4, 4, 4, 4, 4, 3, 2, 1, 0, 0};  // of the endgame part, by phase
        for (int phase = 0; phase < 10; ++phase)
            EXPECT_EQ(king_terms(1, phase),
                      (phase > 4 ? safety : 0) + endgame * quarters[phase] / 4)
                << fen << " phase " << phase;
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
