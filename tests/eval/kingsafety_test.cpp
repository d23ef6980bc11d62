// King safety: the shelter routine, the attack scale, castling credit, the attack weights with
// their stacked-attacker masks and the whole term on hand-counted positions (tests/data), and
// the shelter's cache.
#include "eval/kingsafety.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <string>

#include "core/makemove.h"
#include "test_support.h"

namespace {

using Shelter = std::array<int, 4>;  // H, O, G, T

Shelter current_shelter()
{
    return {shelter_h, shelter_o, shelter_g, shelter_t};
}

// The term a row of tests/data/king_safety.txt names, for White.
int term(const std::string& name)
{
    if (name == "shelter") {
        king_shelter(+1);
        const Shelter s = current_shelter();
        return ((s[0] * 100 + s[1]) * 100 + s[2]) * 100 + s[3];  // the four as one number
    }
    if (name == "scale") return attack_scale(+1);
    if (name == "credit") return king_shelter(+1), castling_credit(+1);
    return name == "weight" ? king_attack_weight(+1) : securite_roi(+1);
}

TEST(KingSafety, HandCountedTerms)
{
    const auto rows = data_rows("king_safety.txt");
    ASSERT_GT(rows.size(), 25u);
    for (const auto& row : rows) {
        ASSERT_EQ(setup_fen(row[1]), 0) << row[1];
        int want = 0;
        std::istringstream fields(row[2]);
        for (int v; fields >> v;) want = want * 100 + v;
        EXPECT_EQ(term(row[0]), want) << row[0] << " " << row[1];
    }
}

TEST(KingSafety, CacheKeyedByPawnsKingAndRights)
{
    ASSERT_EQ(setup_fen("r3k2r/ppp2ppp/8/8/8/6P1/PPP2P1P/R3K2R w KQq - 0 1"), 0);
    king_shelter(+1);
    const Shelter first = current_shelter();
    EXPECT_EQ(first[2], 66);
    const uint32_t hits = king_hits;
    shelter_h = shelter_o = shelter_g = shelter_t = -1;  // the hit must bring them back
    securite_roi(+1);
    EXPECT_EQ(king_hits, hits + 1);
    EXPECT_EQ(current_shelter(), first);

    // A rook trip costs the queen-side right: same pawns and king square, another cell.
    const Move trip[] = {make_move_word(SQ_A1, SQ_B1, ROOK), make_move_word(SQ_H8, SQ_G8, ROOK),
                         make_move_word(SQ_B1, SQ_A1, ROOK), make_move_word(SQ_G8, SQ_H8, ROOK)};
    for (const Move m : trip) make_move(m);
    king_shelter(+1);
    EXPECT_EQ(shelter_g, 60);
    EXPECT_EQ(king_hits, hits + 1);
    for (int i = 3; i >= 0; --i) unmake_move(trip[i]);
    king_shelter(+1);
    EXPECT_EQ(shelter_g, 66);
    EXPECT_EQ(king_hits, hits + 2);
}

}  // namespace
