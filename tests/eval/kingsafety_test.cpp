// King safety: the shelter routine and its cache, the attack scale, castling credit, the attack
// weights with their stacked-attacker masks, and the whole term on a few positions.
#include "eval/kingsafety.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>

#include "core/board.h"
#include "core/makemove.h"
#include "test_support.h"

namespace {

using Shelter = std::array<int, 4>;  // H, O, G, T

Shelter current_shelter()
{
    return {shelter_h, shelter_o, shelter_g, shelter_t};
}

const std::string FULL = "rnbq1rk1/pppppppp/8/8/8/8/PPPPPPPP/RNBQ1RK1 w - - 0 1";
const std::string G3 = "rnbq1rk1/pppppppp/8/8/8/6P1/PPPPPP1P/RNBQ1RK1 w - - 0 1";

TEST(KingSafety, ShelterStormAndCastlingWings)
{
    const std::string wings = "4k3/8/8/8/8/6P1/PPP2P1P/R3K2R w ";
    const std::pair<std::string, Shelter> cases[] = {
        {FULL, {66, 0, 0, 0}},
        {G3, {60, 0, 0, 0}},
        // Queen side: the d-file counts as the outer storm file.
        {"4k3/8/8/8/3p4/8/PPP5/1K6 w - - 0 1", {66, 3, 0, 2}},
        // The edge file weighs its gap on its own scale; an own pawn ends a storm look-out.
        {"6k1/8/8/8/7p/7P/5PP1/6K1 w - - 0 1", {62, 2, 0, 0}},
        // A pawn behind the king does not shelter it; the one in front does.
        {"4k3/8/8/8/6P1/5PKP/6P1/8 w - - 0 1", {39, 3, 0, 0}},
        // In the centre; G is the better wing castling could reach.
        {"4k3/2pp4/8/8/8/8/2PPPP2/4K3 w - - 0 1", {28, 2, 0, 0}},
        {wings + "KQ - 0 1", {0, 6, 66, 0}},
        {wings + "K - 0 1", {0, 6, 60, 0}},
        {"4k3/8/8/8/8/8/5P2/4K2R w K - 0 1", {0, 7, 0, 0}},  // 22 is no shelter
    };
    for (const auto& [fen, want] : cases) {
        ASSERT_EQ(setup_fen(fen), 0) << fen;
        king_shelter(+1);
        EXPECT_EQ(current_shelter(), want) << fen;
    }
}

int credit(int s)
{
    king_shelter(s);
    return castling_credit(s);
}

TEST(KingSafety, ScaleCreditWeightsAndWholeTerm)
{
    const struct {
        int (*term)(int);
        std::string fen;
        int value;
    } cases[] = {
        // Black's pieces scale the shelter and storm terms by their material.
        {attack_scale, "3qk3/8/8/8/8/8/8/4K3 w - - 0 1", 36},
        {attack_scale, "rrrbknnn/8/8/8/8/8/8/4K3 w - - 0 1", 97},
        // Knights on the third rank attack the squares the king crosses on one wing or both.
        {credit, "4k3/8/8/8/8/1n6/PPP2PPP/R3K2R w KQ - 0 1", 66},
        {credit, "4k3/8/8/8/8/1n2n2n/PPP2PPP/R3K2R w KQ - 0 1", 33},
        // g2 hit by queen and bishop, guarded by the king alone (10), or also by a knight (4).
        {king_attack_weight, "k5q1/1b6/8/8/8/8/5PPP/6K1 w - - 0 1", 11},
        {king_attack_weight, "k5q1/1b6/8/8/8/8/5PPP/4N1K1 w - - 0 1", 5},
        // Rooks stacked on the second rank reach f2, g2 and h2 together, unless a piece of
        // either colour stands between them.
        {king_attack_weight, "k7/p7/8/8/8/8/rr6/4R1K1 w - - 0 1", 8},
        {king_attack_weight, "k7/p7/8/8/8/8/r1pr4/4R1K1 w - - 0 1", 3},
        // A queen stacked behind a rook, down to h2 at the far end.
        {king_attack_weight, "8/k4p2/8/8/8/8/qr6/4R1K1 w - - 0 1", 31},
        // A bishop behind the queen joins the attack on g2, but not through a pawn before it.
        {king_attack_weight, "b6k/8/8/3q4/8/8/5PNP/4R1K1 w - - 0 1", 11},
        {king_attack_weight, "b6k/8/8/3q4/4P2n/6P1/5P1P/4R1K1 w - - 0 1", 1},
        {securite_roi, FULL, 0},
        {securite_roi, G3, -6},
        {securite_roi, "k5q1/1b6/8/8/8/8/5PPP/6K1 w - - 0 1", -91},
        // A lone rook scales shelter and storm to nothing: only O x h remains; with a queen
        // added the scale is 60.
        {securite_roi, "r3k3/p5p1/8/7p/8/6P1/5P2/6K1 w - - 0 1", -2},
        {securite_roi, "r2qk3/p2p2p1/8/7p/8/6P1/5P2/6K1 w - - 0 1", -24},
        // Castling would shelter better than the centre: the two are averaged.
        {securite_roi, "3qk3/8/8/8/8/8/PPP2PPP/R3K2R w KQ - 0 1", -78},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(setup_fen(c.fen), 0) << c.fen;
        EXPECT_EQ(c.term(+1), c.value) << c.fen;
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
