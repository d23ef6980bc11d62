// Pawn structure: the penalty scale, hand-counted structures with their file flags, and the pawn
// cache (hits restore value and flags, placement filled in late and only where it counts).
#include "eval/pawns.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <utility>

#include "core/board.h"
#include "core/makemove.h"
#include "movegen/notation.h"
#include "search/hash.h"
#include "test_support.h"

namespace {

using FileFlags = std::array<uint8_t, 8>;  // files a..h

constexpr uint8_t I = PAWN_FLAG_ISOLATED, W = PAWN_FLAG_WEAK, U = PAWN_FLAG_UNSUPPORTED,
                  P = PAWN_FLAG_PASSED, D = PAWN_FLAG_DOUBLED;

FileFlags published(int c)
{
    FileFlags f{};
    std::copy(pawn_flags[c], pawn_flags[c] + 8, f.begin());
    return f;
}

TEST(PawnPenaltyScale, EasesThenTurnsLinear)
{
    const int cases[][2] = {{0, 0}, {50, 43}, {100, 71}, {101, 70}, {150, 90}, {153, 91}};
    for (const auto& c : cases) EXPECT_EQ(scaled_pawn_penalty(c[0]), c[1]) << c[0];
}

TEST(PawnStructure, HandCountedValuesAndFlags)
{
    const std::tuple<const char*, int, FileFlags, FileFlags> cases[] = {
        // Four isolated pawns: penalty 100, advancement 34 / 5.
        {"4k3/8/8/8/8/8/P1P1P1P1/4K3 w - - 0 1", -65, {I | P, 0, I | P, 0, I | P, 0, I | P}, {}},
        // Tripled isolated a-pawns 95, d2 and g2 behind both neighbours 3 each: penalty 101.
        {"4k3/8/8/8/P7/P1P1P2P/P2P2P1/4K3 w - - 0 1",
         -53,
         {D | I | P, 0, P, U | P, P, 0, U | P, P},
         {}},
        // Only the front pawn of a file counts, once: 35 x 2 + 25.
        {"4k3/4p3/8/8/4P3/4P3/4P3/6K1 w - - 0 1", -38, {0, 0, 0, 0, D | I}, {0, 0, 0, 0, I}},
        // The a-file looks at the b-file only.
        {"4k3/8/8/8/1p6/8/P7/4K3 w - - 0 1", -4, {I}, {0, I}},
        // d3 lags behind c4 and e4 and c5 holds d4: weak, 5 x (7 - 4).
        {"4k3/8/8/2p5/2P1P3/3P4/8/4K3 w - - 0 1", 20, {0, 0, 0, U | W, P}, {0, 0, I}},
        // e3 covers d4 as often as c5 attacks it: not weak.
        {"4k3/8/8/2p5/2P1P3/3PP3/8/4K3 w - - 0 1", 6, {0, 0, 0, 0, D | P}, {0, 0, I}},
    };
    for (const auto& [fen, value, white, black] : cases) {
        SCOPED_TRACE(fen);
        uint8_t flags[2][8];
        ASSERT_EQ(setup_fen(fen), 0);
        EXPECT_EQ(pawn_structure_value(flags), value);
        EXPECT_EQ(std::to_array(flags[WHITE]), white);
        EXPECT_EQ(std::to_array(flags[BLACK]), black);
    }
}

PawnCell* cell_of_position()
{
    return &Pawn_hash_table[pos()->pawn_key.w[2] & pawn_hash_mask];
}

// A middle game (a queen each, six and seven pawns); Qxc8+ Kxc8 leaves the same pawns in an
// ending. Set-up clears the caches, so every visit below is reached by moves.
TEST(PawnCache, HitsRestoreFlagsAndPlacementIsFilledInWhenFirstNeeded)
{
    ASSERT_EQ(setup_fen("2qk4/ppp2ppp/8/4p3/3P2Q1/2P5/P4PPP/4K3 w - - 0 1"), 0);
    uint8_t flags[2][8];
    const int pawns = pawn_structure_value(flags), placement = pawn_placement_value();
    ASSERT_NE(placement, 0);
    const uint32_t probes = pawn_probes, hits = pawn_hits;
    const Move trade = text_to_move("g4c8"), recapture = text_to_move("d8c8");
    make_move(trade);
    make_move(recapture);
    EXPECT_EQ(evaluation_pions(), pawns);
    EXPECT_EQ(cell_of_position()->placement, PLACEMENT_UNKNOWN);
    unmake_move(recapture);
    unmake_move(trade);
    EXPECT_EQ(evaluation_pions(), pawns + placement);  // a hit that fills the placement in
    EXPECT_EQ(cell_of_position()->placement, placement);

    const Move capture = text_to_move("d4e5");  // leaves c3 isolated
    make_move(capture);
    evaluation_pions();
    EXPECT_NE(published(WHITE), std::to_array(flags[WHITE]));
    unmake_move(capture);
    EXPECT_EQ(evaluation_pions(), pawns + placement);
    EXPECT_EQ(published(WHITE), std::to_array(flags[WHITE]));
    EXPECT_EQ(published(BLACK), std::to_array(flags[BLACK]));

    make_move(trade);
    make_move(recapture);
    EXPECT_EQ(evaluation_pions(), pawns);  // the stored placement is not used in the ending
    unmake_move(recapture);
    unmake_move(trade);
    EXPECT_EQ(pawn_probes - probes, 5u);
    EXPECT_EQ(pawn_hits - hits, 3u);
}

// Placement counts once each side has five pawns and the pieces weigh more than 6 (N + B + 2R
// + 4Q, both sides). White a2 b2 d3 f2 g2 h2 against a7 b7 d5 f7 g7 h7: structure -13 (d3
// isolated 24, advance 58 / 5) less -10 (d5 isolated, 72 / 5) = -3; placement White d3 8, f2 4
// and 4 beside g2 = 16, Black d5 12, f7 4 + 4 = 20: -4. Without a2, b2 is isolated too: 10 - 43
// against -10; without b2 as well White keeps four pawns: 9 - 24 against -10.
TEST(PawnCache, PlacementNeedsFivePawnsEachAndPieces)
{
    const std::pair<const char*, int> cases[] = {
        {"r1b1k3/pp3ppp/8/3p4/8/3P4/PP3PPP/RN2K1N1 w - - 0 1", -3 - 4},  // phases 4 + 3
        {"r1b1k3/pp3ppp/8/3p4/8/3P4/PP3PPP/RN2K3 w - - 0 1", -3},        // 3 + 3
        {"r1b1k3/pp3ppp/8/3p4/8/3P4/1P3PPP/RN2K1N1 w - - 0 1", -23 - 4},
        {"r1b1k3/pp3ppp/8/3p4/8/3P4/5PPP/RN2K1N1 w - - 0 1", -5},  // four White pawns
    };
    for (const auto& [fen, value] : cases) {
        ASSERT_EQ(setup_fen(fen), 0);
        EXPECT_EQ(evaluation_pions(), value) << fen;
    }
}

}  // namespace
