// Exchange evaluation: hand-counted exchanges and threat tests of a move just made (tests/data),
// `fight`, and the least valuable attacker first. Each position also runs on its
// colour-mirrored twin, which must give the same answer.
#include "eval/exchange.h"

#include <gtest/gtest.h>

#include <utility>

#include "core/board.h"
#include "core/makemove.h"
#include "core/tables.h"
#include "test_support.h"

namespace {

int core_from(int from, int to)
{
    return exchange_core(from, to, colour_of(echiquier[from]), valeur_piece[echiquier[to] & 7],
                         valeur_piece[echiquier[from] & 7]);
}

int threat_of(int from, int to)
{
    const Move m = make_move_word(from, to, echiquier[from] & 7, echiquier[to] & 7);
    make_move(m);
    const int result = threat_after_move(m);
    unmake_move(m);
    return result;
}

TEST(Exchange, HandCountedCoresAndThreatsOnBothColours)
{
    const auto rows = data_rows("exchanges.txt");
    ASSERT_GT(rows.size(), 15u);
    auto mirror = [](int s) { return s + 9 - 2 * (s % 10); };
    for (const auto& row : rows) {
        SCOPED_TRACE(row[1]);
        const auto probe = row[0] == "core" ? core_from : threat_of;
        const int from = square_named(row[2].c_str()), to = square_named(row[3].c_str());
        ASSERT_EQ(setup_fen(row[1]), 0);
        EXPECT_EQ(probe(from, to), std::stoi(row[4]));
        ASSERT_EQ(setup_fen(colour_mirrored_fen(row[1])), 0);
        EXPECT_EQ(probe(mirror(from), mirror(to)), std::stoi(row[4])) << "mirrored";
    }
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

}  // namespace
