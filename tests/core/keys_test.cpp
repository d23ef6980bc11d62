// The key tables: pinned words (book files depend on them never changing), the entries that
// must be zero, and bishop classes sharing their key and flag.
#include "core/keys.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

// The entries of "no right", "no class" and squares no pawn can pass over are zero.
TEST(Keys, PinnedWordsNeverChangeAndRequiredZeroEntries)
{
    EXPECT_EQ(psq_keys[0][0].w[0], 0x5239ff09u);
    EXPECT_EQ(psq_keys[6][27].w[1], 0xae79cccdu);
    EXPECT_EQ(psq_keys[11][63].w[2], 0xc0da5614u);
    EXPECT_EQ(castle_keys[1].w[0], 0x1709931cu);
    EXPECT_EQ(castle_keys[15].w[2], 0x13a822b8u);
    EXPECT_EQ(ep_keys[2].w[0], 0xf81ff715u);
    EXPECT_EQ(ep_keys[61].w[2], 0x498b43b2u);
    EXPECT_EQ(material_keys[0][0], 0x7383a903u);
    EXPECT_EQ(material_keys[11][15], 0x93870a6fu);
    EXPECT_EQ(bishop_class_keys[1], 0xb274f86bu);
    EXPECT_EQ(bishop_class_keys[15], 0x9270867eu);
    EXPECT_EQ(bishop_class_keys[0], 0u);
    const auto is_zero = [](const Key96& k) { return (k.w[0] | k.w[1] | k.w[2]) == 0; };
    EXPECT_TRUE(is_zero(castle_keys[0]));
    for (int i = 0; i < 64; ++i)  // en passant keys only on the third and sixth ranks
        EXPECT_EQ(is_zero(ep_keys[i]), i % 8 != 2 && i % 8 != 5) << i;
}

// Index black set * 4 + white set (bit 0 dark, bit 1 light): the two entries of one class share
// their key and flag, and no two classes share both (a material cell must tell them apart).
TEST(Keys, BishopClassesShareKeysAndFlags)
{
    const int same_class[][2] = {{1, 2}, {4, 8}, {5, 10}, {6, 9}, {7, 11}, {13, 14}};
    for (const auto& p : same_class) {
        EXPECT_EQ(bishop_class_keys[p[0]], bishop_class_keys[p[1]]) << p[0];
        EXPECT_EQ(bishop_class_flags[p[0]], bishop_class_flags[p[1]]) << p[0];
    }
    std::set<std::pair<uint32_t, uint32_t>> classes;
    for (int i : {0, 1, 3, 4, 5, 6, 7, 12, 13, 15}) {
        classes.insert({bishop_class_keys[i], bishop_class_flags[i]});
        EXPECT_EQ(bishop_class_flags[i] & ~(7u << 29), 0u) << i;  // above the packed counts
    }
    EXPECT_EQ(classes.size(), 10u);
}
