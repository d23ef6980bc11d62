// The material balance: each rule's position scored from White's view and again with the colours
// exchanged (ranks reversed, so bishops change square colour), which must negate the score; and
// the cache, which must keep bishop classes apart.
#include "core/material.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "core/board.h"
#include "test_support.h"

namespace {

int rules(const std::string& fen)
{
    EXPECT_EQ(setup_fen(fen), 0) << fen;
    evalue_materiel();  // fills the bishop colour sets that the rules read
    return calcule_materiel();
}

// Comments give the rule that decides; bp = black pawns.
const std::tuple<const char*, int> CASES[] = {
    {"4k3/pp6/8/8/8/8/8/4K1N1", 0},  // lone minor, bp < 3
    {"4k3/ppp5/8/8/8/8/8/4K1N1", -50},
    {"4k3/pppp4/8/8/8/8/8/4K1B1", -150},
    {"4kn2/8/8/8/8/8/8/R3K3", 50},  // rook against a knight
    {"4kn2/pp6/8/8/8/8/8/R3K3", 0},
    {"4kn2/ppp5/8/8/8/8/8/R3K3", -100},
    {"4kb2/8/8/8/8/8/8/R3K3", 0},  // rook against a bishop
    {"4kb2/ppp5/8/8/8/8/8/R3K3", -100},
    {"4kn2/p7/8/8/8/8/8/2B1KB2", 50},  // pair against a knight: (1 - 0 + 1) x 1 x 25
    {"4kb2/8/8/8/8/8/8/2B1KN2", 0},    // A = 0, B = 1
    {"4kn2/8/8/8/8/8/8/2B1KN2", 50},   // A = 0, B = 0
    {"4kn2/ppp5/8/8/8/8/8/2B1KN2", -50},
    {"4kb2/ppp5/8/8/8/8/8/1N2K1N1", -50},  // two knights against a minor
    {"4k3/ppp5/8/8/8/8/8/1N2K1N1", 0},     // two knights alone, bp < 4
    {"4k3/pppp4/8/8/8/8/8/1N2K1N1", -100},
    {"r3k3/p7/8/8/8/8/8/1N2K1N1", 0},  // two knights against a rook
    {"r3k3/pp6/8/8/8/8/8/1N2K1N1", -100},
    {"r3k3/p7/8/8/8/8/8/1N2KB2", 0},  // minors with a bishop against a rook
    {"r3k3/pp6/8/8/8/8/8/1N2KB2", -50},
    {"r3k3/8/8/8/8/8/8/R3KB2", 50},  // minor and rook against rook
    {"r3k3/pp6/8/8/8/8/8/R3KB2", -50},
    {"r3k3/pppp4/8/8/8/8/8/R3KB2", -200},
    {"q3k3/8/8/8/8/8/8/Q3KN2", 50},
    {"q3k3/8/8/8/8/8/8/R3KN2", -160},                  // no rule: D = -130, I = -7
    {"4k3/8/8/8/8/8/8/B1B1K3", 0},                     // same-coloured bishops only
    {"4k3/8/8/8/8/8/8/B3KB2", 730},                    // the pair: 660 + 14 x 5
    {"2b1k3/6pp/8/8/8/4B3/PPPP4/4K3", 100},            // opposite bishops, v = 200 halved
    {"2b1k3/6pp/8/8/8/4B3/PPPPPP2/4K3", 400},          // more than three extra pawns
    {"3bk3/6pp/8/8/8/4B3/PPPP4/4K3", 200},             // same-coloured bishops
    {"2b1k3/6pp/8/8/8/4B3/PPPP4/4KN2", 550},           // a knight cancels the rule; I = 16
    {"2b1kn2/pppppppp/8/8/8/8/PPPPPPPP/2B1KB2", 30},   // pair against a bishop: 10 + 20
    {"1n2kn2/pppppppp/8/8/8/8/PPPPPPPP/2B1KB2", 50},   // against none: 20 + 30
    {"2b1kn2/ppppppp1/8/8/8/8/PPPPPPPP/2B1KB2", 133},  // 110 + 70 / 3
    {"2b1kb2/pppppppp/8/8/8/8/PPPPPPPP/2B1KB2", 0},    // both pairs
    {"2b1k1b1/pppppppp/8/8/8/8/PPPPPPPP/2B1KB2", 20},  // pair against a light pair
    {"4k3/pppp4/8/8/8/8/P7/4KN2", 50},                 // D = 20, I = 16
    {"4k3/pppp4/8/8/8/8/P7/3QK3", 650},                // I = 42: no correction
    {"4k3/7p/8/8/8/8/8/R3K3", 400},                    // one unit a side: no correction
};

}  // namespace

TEST(Material, RulesForBothColours)
{
    for (const auto& [board, white_view] : CASES) {
        const std::string fen = std::string(board) + " w - - 0 1";
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
