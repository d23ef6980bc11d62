// Exchange evaluation: hand-counted exchanges, `fight` and the threat test of a move just made.
// Each position also runs on its colour-mirrored twin, which must give the same answer.
#include "eval/exchange.h"

#include <gtest/gtest.h>

#include <utility>

#include "core/board.h"
#include "core/makemove.h"
#include "core/tables.h"
#include "test_support.h"

namespace {

struct Case {
    const char* fen;
    const char* from;
    const char* to;
    int expected;
};

// Runs probe(from, to) on the position and on its twin (squares mirrored top to bottom).
template <typename Probe>
void check_both_ways(const Case& c, Probe probe)
{
    SCOPED_TRACE(c.fen);
    const int from = square_named(c.from), to = square_named(c.to);
    auto mirror = [](int s) { return s + 9 - 2 * (s % 10); };
    ASSERT_EQ(setup_fen(c.fen), 0);
    EXPECT_EQ(probe(from, to), c.expected);
    ASSERT_EQ(setup_fen(colour_mirrored_fen(c.fen)), 0);
    EXPECT_EQ(probe(mirror(from), mirror(to)), c.expected) << "mirrored";
}

int core_from(int from, int to)
{
    return exchange_core(from, to, colour_of(echiquier[from]), valeur_piece[echiquier[to] & 7],
                         valeur_piece[echiquier[from] & 7]);
}

TEST(ExchangeCore, HandCountedSequences)
{
    const Case cases[] = {
        {"6k1/8/2p5/3n4/4P3/8/8/6K1 w - - 0 1", "e4", "d5", 220},   // PxN, pxP
        {"6k1/8/2p5/3p4/8/8/8/3Q2K1 w - - 0 1", "d1", "d5", -850},  // QxP, pxQ
        {"r6k/1Q6/8/8/8/8/8/R5K1 w - - 0 1", "a1", "a8", 500},      // undefended, Q also hits
        {"6k1/8/8/4b3/8/8/7n/6K1 w - - 0 1", "g1", "h2", EXCHANGE_KING_LOST},
        // Black's king may retake only when nothing of White's still hits d5.
        {"8/8/4k3/3n4/4P3/8/8/3R2K1 w - - 0 1", "e4", "d5", 320},
        {"8/8/4k3/3n4/4P3/8/8/6K1 w - - 0 1", "e4", "d5", 220},
        // Sliders lined up behind a capturer join once it has gone.
        {"3r2k1/8/8/3n4/8/8/3R4/3R2K1 w - - 0 1", "d2", "d5", 320},
        {"3r2k1/8/8/3n4/8/8/3R4/6K1 w - - 0 1", "d2", "d5", -180},
        {"6k1/8/2p5/3n4/4P3/8/6B1/6K1 w - - 0 1", "e4", "d5", 320},
        // A move to an empty square that a pawn hits.
        {"6k1/8/8/8/2p5/8/P7/2N3K1 w - - 0 1", "c1", "b3", -220},
    };
    for (const Case& c : cases) check_both_ways(c, core_from);
}

// Rook and queen both hit d5: RxP, pxR, QxP.
TEST(ExchangeSquare, LeastValuableAttackerStarts)
{
    ASSERT_EQ(setup_fen("6k1/8/2p5/3p3Q/8/8/8/3R2K1 w - - 0 1"), 0);
    EXPECT_EQ(exchange_square(square_named("d5"), WHITE, 100), -300);
}

TEST(Fight, BestGainNeverBelowZero)
{
    const std::pair<const char*, int> cases[] = {
        // White's best gain; Black has none
        {"6k1/8/2p5/3p4/8/8/8/3Q2K1 w - - 0 1", 0},  // the only capture loses the queen
        // Black in check from d3: the king is no prize; Nxe5 (330) beats bxa5 (320).
        {"8/7k/8/n3b3/1P6/3B1N2/8/6K1 b - - 0 1", 330},
    };
    for (const auto& [fen, gain] : cases) {
        SCOPED_TRACE(fen);
        ASSERT_EQ(setup_fen(fen), 0);
        EXPECT_EQ(fight(1), gain);
        EXPECT_EQ(fight(-1), 0);
        ASSERT_EQ(setup_fen(colour_mirrored_fen(fen)), 0);
        EXPECT_EQ(fight(1), 0);
        EXPECT_EQ(fight(-1), gain);
    }
}

int threat_of(int from, int to)
{
    const Move m = make_move_word(from, to, echiquier[from] & 7, echiquier[to] & 7);
    make_move(m);
    const int result = threat_after_move(m);
    unmake_move(m);
    return result;
}

TEST(ThreatAfterMove, MovedPieceAndUncoveredSliders)
{
    const Case cases[] = {
        {"6k1/8/8/3p4/4r3/8/8/1N4K1 w - - 0 1", "b1", "c3", 1},    // rook guarded by a pawn
        {"6k1/8/8/5p2/4n3/8/8/1N4K1 w - - 0 1", "b1", "c3", 0},    // knight guarded by a pawn
        {"6k1/8/3n4/8/4P3/8/8/6K1 w - - 0 1", "e4", "e5", 1},      // pawn push hits a knight
        {"k7/7r/8/8/8/8/8/5BK1 w - - 0 1", "f1", "d3", 1},         // bishop, new diagonal
        {"6k1/8/5r2/8/3N4/8/1B6/6K1 w - - 0 1", "d4", "b5", 1},    // knight unmasks bishop
        {"6k1/6p1/5n2/8/3N4/8/1B6/6K1 w - - 0 1", "d4", "b5", 0},  // ... onto a guarded knight
        {"6k1/8/8/8/4r3/8/2P5/1B4K1 w - - 0 1", "c2", "c3", 1},    // pawn unmasks bishop
    };
    for (const Case& c : cases) check_both_ways(c, threat_of);
}

}  // namespace
