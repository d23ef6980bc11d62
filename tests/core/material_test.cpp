// The material balance: each rule's position (tests/data/material.txt) scored from White's view
// and again with the colours exchanged (ranks reversed, so bishops change square colour), which
// must negate the score; and the cache, which must keep bishop classes apart.
#include "core/material.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

int rules(const std::string& fen)
{
    EXPECT_EQ(setup_fen(fen), 0) << fen;
    evalue_materiel();  // fills the bishop colour sets that the rules read
    return calcule_materiel();
}

}  // namespace

TEST(Material, RulesForBothColours)
{
    const auto rows = data_rows("material.txt");
    ASSERT_GT(rows.size(), 30u);
    for (const auto& row : rows) {
        const std::string fen = row[0] + " w - - 0 1";
        const int white_view = std::stoi(row[1]);
        EXPECT_EQ(rules(fen), white_view) << fen;
        EXPECT_EQ(rules(colour_mirrored_fen(fen)), -white_view) << colour_mirrored_fen(fen);
    }
}

// The cache keys on the bishop classes too: equal packed counts, different scores.
TEST(Material, CacheKeepsBishopClassesApart)
{
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(setup_fen("4k3/8/8/8/8/8/8/B3KB2 b - - 0 1"), 0);
        EXPECT_EQ(evalue_materiel(), -730);  // from the side to move's view
        ASSERT_EQ(setup_fen("4k3/8/8/8/8/8/8/B1B1K3 w - - 0 1"), 0);
        EXPECT_EQ(evalue_materiel(), 0);
    }
}
