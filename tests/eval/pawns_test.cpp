// Pawn structure: the penalty scale, values and flags of hand-counted structures, placement
// bonuses, the pawn cache (hits, flags restored, placement filled in late) and colour symmetry.
#include "eval/pawns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "core/board.h"
#include "core/makemove.h"
#include "search/hash.h"
#include "test_support.h"

namespace {

using FileFlags = std::array<uint8_t, 8>;  // files a..h
static_assert(PAWN_FLAG_ISOLATED == 1 && PAWN_FLAG_WEAK == 2 && PAWN_FLAG_UNSUPPORTED == 4 &&
              PAWN_FLAG_PASSED == 8 && PAWN_FLAG_DOUBLED == 16);

// The structure value; flags[colour] receives that colour's flags.
int structure(FileFlags flags[2])
{
    uint8_t cell[2][8];
    const int value = pawn_structure_value(cell);
    for (int c = 0; c < 2; ++c) std::copy(cell[c], cell[c] + 8, flags[c].begin());
    return value;
}

FileFlags published(int c)
{
    FileFlags f{};
    for (int file = 1; file <= 8; ++file) f[file - 1] = pawn_file_flags(c, file);
    return f;
}

TEST(PawnPenaltyScale, EasesThenTurnsLinear)
{
    const int cases[][2] = {{0, 0}, {50, 43}, {100, 71}, {101, 70}, {150, 90}, {153, 91}};
    for (const auto& c : cases) EXPECT_EQ(scaled_pawn_penalty(c[0]), c[1]) << c[0];
}

// Flags written as "d:UW e:P": a file letter, then I isolated, W weak, U unsupported, P passed,
// D doubled.
FileFlags parse_flags(const std::string& text)
{
    const std::string letters = "IWUPD";
    FileFlags f{};
    int file = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i + 1 < text.size() && text[i + 1] == ':')
            file = text[i++] - 'a';
        else if (letters.find(text[i]) != std::string::npos)
            f[file] |= static_cast<uint8_t>(1 << letters.find(text[i]));
    }
    return f;
}

TEST(PawnStructure, HandCountedValuesAndFlags)
{
    struct Case {
        const char* fen;
        int value;
        const char* white;
        const char* black;
    };
    const Case cases[] = {
        // Four isolated pawns: penalty 100, advancement 34 / 5.
        {"4k3/8/8/8/8/8/P1P1P1P1/4K3 w - - 0 1", -65, "a:IP c:IP e:IP g:IP", ""},
        // Tripled isolated a-pawns 95, d2 and g2 behind both neighbours 3 each: penalty 101.
        {"4k3/8/8/8/P7/P1P1P2P/P2P2P1/4K3 w - - 0 1", -53, "a:DIP c:P d:UP e:P g:UP h:P", ""},
        // Only the front pawn of a file counts, once: 35 x 2 + 25.
        {"4k3/4p3/8/8/4P3/4P3/4P3/6K1 w - - 0 1", -38, "e:DI", "e:I"},
        // Edge files look at their one neighbour only.
        {"4k3/8/8/8/1p6/8/P7/4K3 w - - 0 1", -4, "a:I", "b:I"},
        {"4k3/8/8/8/8/8/Pp6/4K3 w - - 0 1", -7, "a:IP", "b:IP"},
        {"4k3/8/8/8/6p1/8/7P/4K3 w - - 0 1", -4, "h:I", "g:I"},
        // d3 lags behind c4 and e4 and c5 holds d4: weak, 5 x (7 - 4).
        {"4k3/8/8/2p5/2P1P3/3P4/8/4K3 w - - 0 1", 20, "d:UW e:P", "c:I"},
        // e3 covers d4 as often as c5 attacks it: not weak.
        {"4k3/8/8/2p5/2P1P3/3PP3/8/4K3 w - - 0 1", 6, "e:DP", "c:I"},
        // From d2 the walk passes the quiet d3; a pawn on d4 ends it at once.
        {"4k3/8/8/2p5/2P1P3/8/3P4/4K3 w - - 0 1", 17, "d:UW e:P", "c:I"},
        {"4k3/8/8/2p5/2PpP3/3P4/8/4K3 w - - 0 1", 3, "d:U e:P", "c:U"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fen);
        const FileFlags white = parse_flags(c.white), black = parse_flags(c.black);
        FileFlags flags[2];
        ASSERT_EQ(setup_fen(c.fen), 0);
        EXPECT_EQ(structure(flags), c.value);
        EXPECT_EQ(flags[WHITE], white);
        EXPECT_EQ(flags[BLACK], black);
        ASSERT_EQ(setup_fen(colour_mirrored_fen(c.fen)), 0);
        EXPECT_EQ(structure(flags), -c.value) << "mirrored";
        EXPECT_EQ(flags[WHITE], black) << "mirrored";
        EXPECT_EQ(flags[BLACK], white) << "mirrored";
    }
}

TEST(PawnPlacement, CentreAndChains)
{
    const std::pair<const char*, int> cases[] = {
        {"4k3/8/8/8/3P4/8/8/4K3 w - - 0 1", 12},    // d4 alone
        {"4k3/8/8/4P3/3P4/8/8/4K3 w - - 0 1", 34},  // d4 defends e5
        {"4k3/8/8/8/3PP3/8/8/4K3 w - - 0 1", 38},   // side by side
        {"4k3/8/8/8/3P4/4P3/8/4K3 w - - 0 1", 28},  // e3 defends d4
        {"4k3/8/8/8/8/1P6/P7/4K3 w - - 0 1", 0},    // the rim earns nothing
        {"4k3/3p4/8/8/3P4/8/8/4K3 w - - 0 1", 6},   // Black's d7 reads as d2
    };
    for (const auto& [fen, value] : cases) {
        ASSERT_EQ(setup_fen(fen), 0);
        EXPECT_EQ(pawn_placement_value(), value) << fen;
        ASSERT_EQ(setup_fen(colour_mirrored_fen(fen)), 0);
        EXPECT_EQ(pawn_placement_value(), -value) << "mirrored " << fen;
    }
}

// A middle game (a queen each, six and seven pawns); Qxc8+ Kxc8 leaves the same pawns in an
// ending. Set-up clears the caches, so both are reached by moves from one set-up.
const char* const PAWNS_MIDDLE = "2qk4/ppp2ppp/8/4p3/3P2Q1/2P5/P4PPP/4K3 w - - 0 1";

Move move_on(const char* from, const char* to)
{
    const int f = square_named(from), t = square_named(to);
    return make_move_word(f, t, echiquier[f] & 7, echiquier[t] & 7);
}

PawnCell* cell_of_position()
{
    return &Pawn_hash_table[pos()->pawn_key.w[2] & pawn_hash_mask];
}

TEST(PawnCache, HitsRestoreValueAndFlags)
{
    ASSERT_EQ(setup_fen(PAWNS_MIDDLE), 0);
    const uint32_t probes = pawn_probes, hits = pawn_hits;
    FileFlags flags[2];
    const int value = structure(flags) + pawn_placement_value();
    EXPECT_NE(pawn_placement_value(), 0);
    EXPECT_EQ(evaluation_pions(), value);
    EXPECT_EQ(evaluation_pions(), value);
    EXPECT_EQ(pawn_probes - probes, 2u);
    EXPECT_EQ(pawn_hits - hits, 1u);
    EXPECT_EQ(pawn_flags[WHITE], cell_of_position()->flags[WHITE]);
    EXPECT_EQ(published(BLACK), flags[BLACK]);

    const Move capture = move_on("d4", "e5");  // leaves c3 isolated
    make_move(capture);
    evaluation_pions();
    EXPECT_NE(published(WHITE), flags[WHITE]);
    unmake_move(capture);
    EXPECT_EQ(evaluation_pions(), value);
    EXPECT_EQ(published(WHITE), flags[WHITE]);
    EXPECT_EQ(pawn_hits - hits, 2u);
}

TEST(PawnCache, PlacementFilledInWhenAMiddleGameFirstNeedsIt)
{
    ASSERT_EQ(setup_fen(PAWNS_MIDDLE), 0);
    FileFlags flags[2];
    const int pawns = structure(flags), placement = pawn_placement_value();
    const Move trade = move_on("g4", "c8"), recapture = move_on("d8", "c8");
    make_move(trade);
    make_move(recapture);
    EXPECT_EQ(evaluation_pions(), pawns);
    EXPECT_EQ(cell_of_position()->placement, PLACEMENT_UNKNOWN);
    unmake_move(recapture);
    unmake_move(trade);
    const uint32_t hits = pawn_hits;
    EXPECT_EQ(evaluation_pions(), pawns + placement);
    EXPECT_EQ(cell_of_position()->placement, placement);
    make_move(trade);
    make_move(recapture);
    EXPECT_EQ(evaluation_pions(), pawns);  // the stored placement is not used in the ending
    EXPECT_EQ(pawn_hits - hits, 2u);
    unmake_move(recapture);
    unmake_move(trade);
}

TEST(PawnCache, MiddleGameNeedsFivePawnsEachAndPieces)
{
    const std::pair<const char*, bool> cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPP4/RNBQKBNR w - - 0 1", false},  // four White pawns
        {"r1b1k3/ppppp3/8/8/8/8/PPPP3P/R1B1K3 w - - 0 1", false},       // N + B + 2R + 4Q = 6
        {"r1b1k3/ppppp3/8/8/8/8/PPPP3P/RNB1K3 w - - 0 1", true},        // 7
    };
    for (const auto& [fen, middle] : cases) {
        ASSERT_EQ(setup_fen(fen), 0);
        FileFlags flags[2];
        const int pawns = structure(flags), placement = pawn_placement_value();
        EXPECT_NE(placement, 0) << fen;
        EXPECT_EQ(evaluation_pions(), middle ? pawns + placement : pawns) << fen;
    }
}

TEST(PawnSymmetry, MirroredTwinNegatesValueAndSwapsFlags)
{
    const char* const fens[] = {
        "r1bqkb1r/pp3ppp/2n1pn2/2pp4/3P4/2PBPN2/PP3PPP/RNBQK2R w - - 0 1",
        "r2q1rk1/1p3ppp/p1np4/4p3/2P1P3/1PN5/P4PPP/R2QR1K1 b - - 0 1",
        "8/5pk1/6p1/1P5p/P7/6PP/5PK1/8 w - - 0 1",
        PAWNS_MIDDLE,
    };
    for (const char* fen : fens) {
        ASSERT_EQ(setup_fen(fen), 0);
        const int value = evaluation_pions();
        const FileFlags white = published(WHITE), black = published(BLACK);
        ASSERT_EQ(setup_fen(colour_mirrored_fen(fen)), 0);
        EXPECT_EQ(evaluation_pions(), -value) << fen;
        EXPECT_EQ(published(WHITE), black) << fen;
        EXPECT_EQ(published(BLACK), white) << fen;
    }
}

}  // namespace
