// King safety: the attack scale, the shelter routines and their cache, the attack weights with
// their stacked-attacker masks, castling credit, and colour symmetry of the whole term.
#include "eval/kingsafety.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <sstream>
#include <string>

#include "core/board.h"
#include "core/keys.h"
#include "core/makemove.h"
#include "core/tables.h"
#include "search/hash.h"
#include "test_support.h"

namespace {

// The same position with the board flipped top to bottom and the colours exchanged.
std::string mirror_fen(const std::string& fen)
{
    std::istringstream in(fen);
    std::string board, side, castling, ep, rest;
    in >> board >> side >> castling >> ep;
    std::getline(in, rest);
    std::string flipped;
    std::istringstream rows(board);
    for (std::string row; std::getline(rows, row, '/');)
        flipped = row + (flipped.empty() ? "" : "/") + flipped;
    auto swap_case = [](std::string s) {
        for (char& ch : s) ch = std::isupper(ch) ? std::tolower(ch) : std::toupper(ch);
        return s;
    };
    if (ep != "-") ep[1] = static_cast<char>('9' - ep[1] + '0');
    return swap_case(flipped) + (side == "w" ? " b " : " w ") +
           (castling == "-" ? castling : swap_case(castling)) + " " + ep + rest;
}

struct Shelter {
    int h, o, g, t;
    bool operator==(const Shelter&) const = default;
};

Shelter current_shelter()
{
    return {shelter_h, shelter_o, shelter_g, shelter_t};
}

Shelter shelter_of(const std::string& fen, int s)
{
    EXPECT_EQ(setup_fen(fen), 0) << fen;
    king_shelter(s);
    return current_shelter();
}

void expect_shelter(const std::string& fen, Shelter want)
{
    const Shelter got = shelter_of(fen, +1);
    EXPECT_EQ(got.h, want.h) << fen;
    EXPECT_EQ(got.o, want.o) << fen;
    EXPECT_EQ(got.g, want.g) << fen;
    EXPECT_EQ(got.t, want.t) << fen;
    EXPECT_TRUE(shelter_of(mirror_fen(fen), -1) == got) << "mirror of " << fen;
}

int roi(const std::string& fen, int s)
{
    EXPECT_EQ(setup_fen(fen), 0) << fen;
    return securite_roi(s);
}

int weight(const std::string& fen)
{
    EXPECT_EQ(setup_fen(fen), 0) << fen;
    return king_attack_weight(+1);
}

const std::string FULL = "rnbq1rk1/pppppppp/8/8/8/8/PPPPPPPP/RNBQ1RK1 w - - 0 1";
const std::string G3 = "rnbq1rk1/pppppppp/8/8/8/6P1/PPPPPP1P/RNBQ1RK1 w - - 0 1";

}  // namespace

TEST(KingSafety, AttackScaleFollowsEnemyMaterial)
{
    const struct {
        const char* black;  // Black's back rank: its pieces count against White's king
        int scale;
    } cases[] = {{"4k3", 0},        {"3qk3", 36},     {"r2qk3", 60},     {"rn1qk3", 76},
                 {"r1nqkn1r", 100}, {"q2qk3", 100},   {"r3k2r", 31},     {"r3k1n1", 0},
                 {"rr2k1nn", 55},   {"rrrbknnn", 97}, {"rrrrknnn", 100}, {"rrrbkn1n", 85}};
    for (const auto& c : cases) {
        const std::string fen = std::string(c.black) + "/8/8/8/8/8/8/4K3 w - - 0 1";
        ASSERT_EQ(setup_fen(fen), 0) << fen;
        EXPECT_EQ(attack_scale(+1), c.scale) << fen;
    }
}

TEST(KingSafety, WingShelterAndStorm)
{
    expect_shelter(FULL, {66, 0, 0, 0});
    expect_shelter(G3, {60, 0, 0, 0});
    // Pawns too far up give no shelter; rank-7 storm pawns weigh nothing.
    expect_shelter("rnbq1rk1/pppppppp/8/5PPP/8/8/PPPPP3/RNBQ1RK1 w - - 0 1", {0, 0, 0, 0});
    // Queen side: the d-file counts as the outer storm file, up to rank 4 only.
    expect_shelter("4k3/8/8/8/3p4/8/PPP5/1K6 w - - 0 1", {66, 3, 0, 2});
    expect_shelter("4k3/8/8/3p4/8/8/PPP5/1K6 w - - 0 1", {66, 3, 0, 0});
    expect_shelter("4k3/8/8/2p5/8/8/PPP5/1K6 w - - 0 1", {66, 2, 0, 1});
    // The edge file weighs its gap on its own scale; an own pawn ends a storm look-out.
    expect_shelter("6k1/8/8/8/7p/7P/5PP1/6K1 w - - 0 1", {62, 2, 0, 0});
    expect_shelter("4k3/8/8/8/8/P7/1PP5/1K6 w - - 0 1", {62, 3, 0, 0});
    // Without an f-pawn only the h-pawn watches the g-file.
    expect_shelter("6k1/8/8/8/6p1/8/6PP/6K1 w - - 0 1", {44, 3, 0, 2});
    // A pawn behind the king does not shelter it; the one in front does.
    expect_shelter("4k3/8/8/8/6P1/5PKP/6P1/8 w - - 0 1", {39, 3, 0, 0});
    expect_shelter("6k1/8/8/8/5PPP/8/8/6K1 w - - 0 1", {21, 3, 0, 0});
    // No pawn in front of the king on any wing file: all three files fully open.
    expect_shelter("4k3/8/8/8/8/8/PPP5/6K1 w - - 0 1", {0, 6, 0, 0});
}

TEST(KingSafety, CentreShelterAndCastlingCredit)
{
    expect_shelter("4k3/2pp4/8/8/8/8/2PPPP2/4K3 w - - 0 1", {28, 2, 0, 0});
    const std::string wings = "4k3/8/8/8/8/6P1/PPP2P1P/R3K2R w ";
    expect_shelter(wings + "KQ - 0 1", {0, 6, 66, 0});  // the better wing
    expect_shelter(wings + "K - 0 1", {0, 6, 60, 0});
    expect_shelter(wings + "- - 0 1", {0, 6, 0, 0});
    expect_shelter("4k3/8/8/8/8/8/5P2/4K2R w K - 0 1", {0, 7, 0, 0});  // 22 is no shelter

    const struct {
        const char* knights;  // Black knights on the third rank
        int credit;
    } cases[] = {{"1n6", 66}, {"1n2n2n", 33}, {"1n5n", 33}, {"7n", 66}};
    for (const auto& c : cases) {
        const std::string fen =
            std::string("4k3/8/8/8/8/") + c.knights + "/PPP2PPP/R3K2R w KQ - 0 1";
        ASSERT_EQ(setup_fen(fen), 0) << fen;
        king_shelter(+1);
        EXPECT_EQ(castling_credit(+1), c.credit) << fen;
    }
}

TEST(KingSafety, NeighbourWeights)
{
    // g2 hit by queen and bishop, guarded by the king alone (10), or also by a knight (4).
    EXPECT_EQ(weight("k5q1/1b6/8/8/8/8/5PPP/6K1 w - - 0 1"), 11);
    EXPECT_EQ(weight("k5q1/1b6/8/8/8/8/5PPP/4N1K1 w - - 0 1"), 5);
    // g2 hit by two rooks and guarded by a knight weighs 2.
    EXPECT_EQ(weight("k5r1/6r1/8/8/8/8/5PPP/4N1K1 w - - 0 1"), 3);
    // The queen is on another diagonal of the bishop: no stacking.
    EXPECT_EQ(weight("7k/8/8/4q3/3b4/8/4PPP1/6K1 w - - 0 1"), 5);
    // Rooks stacked on the second rank reach f2, g2 and h2 together.
    EXPECT_EQ(weight("k7/p7/8/8/8/8/rr6/4R1K1 w - - 0 1"), 8);
    // Rooks doubled on the g-file against the g2 pawn.
    EXPECT_EQ(weight("k5r1/6r1/8/8/8/8/5PPP/6K1 w - - 0 1"), 6);
    // A piece of either colour in the line breaks the stack.
    EXPECT_EQ(weight("k7/p7/8/8/8/8/r1Pr4/4R1K1 w - - 0 1"), 3);
    EXPECT_EQ(weight("k7/p7/8/8/8/8/r1pr4/4R1K1 w - - 0 1"), 3);
    // A queen stacked behind a rook, down to h2 at the far end.
    EXPECT_EQ(weight("8/k4p2/8/8/8/8/qr6/4R1K1 w - - 0 1"), 31);
    // A bishop behind the queen on the long diagonal joins the attack on g2.
    EXPECT_EQ(weight("b6k/8/8/3q4/8/8/5PNP/4R1K1 w - - 0 1"), 11);
    // ... but not through a pawn in front of the queen.
    EXPECT_EQ(weight("b6k/8/8/3q4/4P2n/6P1/5P1P/4R1K1 w - - 0 1"), 1);
    // Lines out of the king: a square or an own piece the rook reaches, covered or not.
    EXPECT_EQ(weight("2r3k1/8/8/8/8/8/5PPP/6K1 w - - 0 1"), 2);
    EXPECT_EQ(weight("2r3k1/8/8/8/8/1N6/5PPP/6K1 w - - 0 1"), 1);
    EXPECT_EQ(weight("2r3k1/8/8/8/8/8/5PPP/2B3K1 w - - 0 1"), 2);
}

TEST(KingSafety, WholeTerm)
{
    EXPECT_EQ(roi(FULL, +1), 0);
    EXPECT_EQ(roi(G3, +1), -6);
    EXPECT_EQ(roi("k5q1/1b6/8/8/8/8/5PPP/6K1 w - - 0 1", +1), -91);
    EXPECT_EQ(roi("k5q1/1b6/8/8/8/8/5PPP/4N1K1 w - - 0 1", +1), -31);
    // A lone rook scales shelter and storm to nothing: only O x h remains.
    EXPECT_EQ(roi("r3k3/p5p1/8/7p/8/6P1/5P2/6K1 w - - 0 1", +1), -2);
    EXPECT_EQ(shelter_h, 38);
    EXPECT_EQ(shelter_t, 1);
    // Castling would shelter better than the centre: the two are averaged.
    EXPECT_EQ(roi("3qk3/8/8/8/8/8/PPP2PPP/R3K2R w KQ - 0 1", +1), -78);
    // With a queen added the scale is 60.
    EXPECT_EQ(roi("r2qk3/p2p2p1/8/7p/8/6P1/5P2/6K1 w - - 0 1", +1), -24);
}

TEST(KingSafety, CacheKeyedByPawnsKingAndRights)
{
    ASSERT_EQ(setup_fen("r3k2r/ppp2ppp/8/8/8/6P1/PPP2P1P/R3K2R w KQq - 0 1"), 0);
    for (const int s : {+1, -1}) {
        const int c = (s + 1) / 2;
        king_shelter(s);
        const int rights = c == 1 ? 3 : 2;
        const Key96 key =
            pos()->pawn_key ^ king_square_keys[case64[king_square(c)]] ^ king_castle_keys[rights];
        const KingCell& cell = King_hash_table[(key.w[2] & king_hash_mask) | c];
        EXPECT_TRUE(cell.key1 == key.w[0] && cell.key2 == key.w[1]);
        EXPECT_TRUE((Shelter{cell.h, cell.o, cell.g, cell.t} == current_shelter()));
    }
    king_shelter(+1);
    const Shelter first = current_shelter();
    EXPECT_EQ(first.g, 66);
    const uint32_t hits = king_hits;
    securite_roi(+1);
    EXPECT_EQ(king_hits, hits + 1);
    EXPECT_TRUE(current_shelter() == first);

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

TEST(KingSafety, ColourSymmetryAndNoSideEffects)
{
    const std::string fens[] = {
        "k5q1/1b6/8/8/8/8/5PPP/4N1K1 w - - 0 1",
        "8/k4p2/8/8/8/8/qr6/4R1K1 w - - 0 1",
        "b6k/8/8/3q4/8/8/5PNP/4R1K1 w - - 0 1",
        "4k3/8/8/8/8/1n2n2n/PPP2PPP/R3K2R w KQ - 0 1",
        "r1bq1rk1/pp3ppp/2n1pn2/3p4/1bPP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 8",
        "r4rk1/pp3ppp/2n5/q2pP1N1/3P2Q1/2P5/P4PPP/R1B2RK1 w - - 0 15",
        "2kr3r/ppp2q2/2n1b1p1/4p2p/4P3/1NP1BPP1/PP1Q3P/2KR3R b - - 0 18",
    };
    for (const std::string& fen : fens) {
        ASSERT_EQ(setup_fen(fen), 0) << fen;
        uint32_t before[2][BOARD_SIZE];
        std::memcpy(before, attaques, sizeof before);
        const Etat record = *pos();
        const int white = securite_roi(+1), black = securite_roi(-1);
        EXPECT_EQ(std::memcmp(before, attaques, sizeof before), 0) << fen;
        EXPECT_EQ(std::memcmp(&record, pos(), sizeof record), 0) << fen;
        EXPECT_EQ(roi(mirror_fen(fen), -1), white) << fen;
        EXPECT_EQ(roi(mirror_fen(fen), +1), black) << fen;
    }
}
