// Set-up from boards and FEN/EPD records: the record built for known positions, the reader's
// output and its tolerance of truncated text, and rejections that leave the last accepted
// position in place.
#include "core/setup.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>

#include "core/board.h"
#include "core/keys.h"
#include "core/tables.h"
#include "core/verify.h"
#include "frontend/settings.h"
#include "test_support.h"

namespace {

const char* const START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Every table a set-up writes and the live ply records, as bytes.
std::string take_record()
{
    std::string r;
    auto add = [&r](const auto& t) { r.append(reinterpret_cast<const char*>(&t), sizeof t); };
    add(echiquier), add(ficha), add(case_ficha), add(piece_type), add(pieces_glissantes_mask);
    add(attaques), add(nombre_pions), add(nombre_pieces), add(mk), add(mk3), add(cf);
    add(pions_colonne), add(pion_plus_avance), add(pion_moins_avance), add(trait), add(ply);
    r.append(reinterpret_cast<const char*>(etats), sizeof(Etat) * static_cast<size_t>(ply + 1));
    return r;
}

// The keys of the current board, recomputed from the key tables alone.
Etat expected_keys()
{
    Etat e{};
    for (int sq64 = 0; sq64 < 64; ++sq64) {
        const uint8_t code = echiquier[case120[sq64]];
        if (!is_occupied(code)) continue;
        const Key96 k = psq_keys[kind_of_type[type_of(code)] + 6 * colour_of(code)][sq64];
        (type_of(code) == PAWN ? e.pawn_key : e.piece_key) ^= k;
    }
    e.hash_key = e.pawn_key ^ e.piece_key ^ castle_keys[pos()->roque];
    return e;
}

std::string fen_output(const char* fen, int* result)
{
    engine_init_for_tests();
    return capture_stdout([&] { *result = lit_fen(fen); });
}

}  // namespace

TEST(SetupInitial, SlotsCountersAndKeys)
{
    engine_init_for_tests();
    resign_ply[0] = resign_ply[1] = 17;
    game_state = GAME_STALEMATE;
    capture_stdout([] { nouvelle_partie(); });
    std::string white, black;
    for (int k = 0; k < 16; ++k) {
        white += square_name(static_cast<int>(ficha[WHITE][k].square));
        black += square_name(static_cast<int>(ficha[BLACK][k].square));
        EXPECT_EQ(case_ficha[ficha[WHITE][k].square], &ficha[WHITE][k]);
    }
    EXPECT_EQ(white, "e1a1a2b1b2c1c2d1d2e2f1f2g1g2h1h2");
    EXPECT_EQ(black, "e8a7a8b7b8c7c8d7d8e7f7f8g7g8h7h8");
    EXPECT_EQ(piece_type[WHITE][ROOK], (1u << 1) | (1u << 14));
    EXPECT_EQ(piece_type[BLACK][BISHOP], (1u << 6) | (1u << 11));
    EXPECT_EQ(pieces_glissantes_mask[WHITE],
              (1u << 1) | (1u << 5) | (1u << 7) | (1u << 10) | (1u << 14));
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(pos()->materiel[c], 14050);
        EXPECT_EQ(nombre_pions[c], 8);
        EXPECT_EQ(nombre_pieces[c], 7);
        EXPECT_EQ(mk[c], 74280u);
        EXPECT_EQ(cf[c][0] * 10 + cf[c][1], 11);
    }
    EXPECT_TRUE(pos()->roque == 15 && pos()->case_ep == 0 && trait == 1 && ply == 0);
    EXPECT_EQ(game_state, GAME_IN_PROGRESS);
    EXPECT_TRUE(resign_ply[0] == NO_RESIGN_PLY && resign_ply[1] == NO_RESIGN_PLY);
    const Etat e = expected_keys();
    EXPECT_TRUE(pos()->pawn_key == e.pawn_key && pos()->piece_key == e.piece_key);
    EXPECT_TRUE(pos()->hash_key == e.hash_key);
    // f3: pawns e2 (slot 9) and g2 (13), knight g1 (12); e1 is defended by the queen only.
    EXPECT_EQ(attaques[WHITE][square_of(6, 3)], (1u << 9) | (1u << 13) | (1u << 12));
    EXPECT_EQ(attaques[WHITE][SQ_E1], 1u << 7);
    EXPECT_EQ(attaques[BLACK][square_of(3, 6)], (1u << 3) | (1u << 7) | (1u << 4));
}

TEST(SetupInitial, FenOfTheInitialPositionGivesTheSameRecord)
{
    engine_init_for_tests();
    capture_stdout([] { nouvelle_partie(); });
    const std::string fresh = take_record();
    int result = -1;
    EXPECT_EQ(fen_output(START_FEN, &result), "1\n");
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(take_record() == fresh);
}

TEST(SetupBoard, AttacksStopAtTheFirstPieceAndPawnFilesTrackExtremes)
{
    // Queen a1 behind rook a2; doubled pawns on the b-file for both colours.
    ASSERT_EQ(setup_fen("4k3/1p6/8/1p6/8/1P6/RP6/Q3K3 w - - 0 1"), 0);
    const uint32_t rook = case_ficha[22]->mask, queen = case_ficha[21]->mask;
    EXPECT_EQ(attaques[WHITE][23] & (rook | queen), rook);  // a3: only the rook
    EXPECT_EQ(attaques[WHITE][22] & queen, queen);          // a2: the queen defends the rook
    EXPECT_EQ(attaques[WHITE][28] & rook, rook);            // the file is open up to a8
    const uint32_t b2 = case_ficha[32]->mask;
    EXPECT_EQ(attaques[WHITE][43] & b2, b2);  // c3
    EXPECT_EQ(attaques[WHITE][23] & b2, b2);  // a3
    // count, most advanced and rearmost pawn of the b-file
    using Entry = std::array<int32_t, 3>;
    EXPECT_EQ((Entry{pions_colonne[1][2], pion_plus_avance[1][2], pion_moins_avance[1][2]}),
              (Entry{2, 3, 2}));
    EXPECT_EQ((Entry{pions_colonne[0][2], pion_plus_avance[0][2], pion_moins_avance[0][2]}),
              (Entry{2, 5, 7}));
    for (int f : {0, 1, 3, 9}) {
        EXPECT_EQ(pion_plus_avance[WHITE][f] * 10 + pion_moins_avance[WHITE][f], 9) << f;
        EXPECT_EQ(pion_plus_avance[BLACK][f] * 10 + pion_moins_avance[BLACK][f], 90) << f;
    }
}

TEST(SetupBoard, BoardlessCallKeepsTheBoardAndIgnoresCastlingAndEp)
{
    ASSERT_EQ(setup_fen("r3k3/8/8/8/8/8/8/R3K2R b - - 0 1"), 0);
    int32_t junk[64] = {};
    capture_stdout([&] { EXPECT_EQ(init_echiquier(nullptr, 1, 0, 63), 0); });
    EXPECT_EQ(pos()->roque, WHITE_KING_SIDE | WHITE_QUEEN_SIDE | BLACK_QUEEN_SIDE);
    EXPECT_EQ(pos()->case_ep, 0u);
    EXPECT_EQ(trait, 1);
    // Codes that are no piece (border, colour without type, both colours) read as empty.
    junk[32] = 18, junk[39] = 10, junk[0] = 32, junk[1] = 16, junk[2] = 25, junk[3] = 0x113;
    capture_stdout([&] { EXPECT_EQ(init_echiquier(junk, 1, 15, 0), 0); });
    EXPECT_TRUE(echiquier[21] == EMPTY && echiquier[22] == EMPTY && echiquier[23] == EMPTY);
    EXPECT_EQ(echiquier[24], 19);  // only the low byte counts
    EXPECT_EQ(nombre_pieces[WHITE], 1);
}

TEST(SetupFen, OutputOfTheTrailingFields)
{
    struct Case {
        const char* fen;
        const char* printed;
    } cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 12 40", "2 40\n"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - bm Nf3; id \"t1\";",
         "{ Coup : Nf3 }\nid \"t1\";\n"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -\tbm  Nf3xe5+abc",
         "{ Coup : Nf3xe5+ }\nbc\n"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - bx; id", "; id\n"},
    };
    for (const Case& c : cases) {
        int result = -1;
        EXPECT_EQ(fen_output(c.fen, &result), c.printed) << c.fen;
        EXPECT_EQ(result, 0) << c.fen;
    }
}

TEST(SetupFen, CastlingAndEnPassantFields)
{
    ASSERT_EQ(setup_fen("r3k2r/8/8/8/8/8/8/R4K1R w KQkq - 0 1"), 0);
    EXPECT_EQ(pos()->roque, BLACK_KING_SIDE | BLACK_QUEEN_SIDE);
    EXPECT_TRUE(pos()->hash_key == expected_keys().hash_key);

    ASSERT_EQ(setup_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b Kq e3 0 1"), 0);
    EXPECT_EQ(pos()->roque, WHITE_KING_SIDE | BLACK_QUEEN_SIDE);
    EXPECT_EQ(pos()->case_ep, static_cast<uint32_t>(square_of(5, 3)));
    EXPECT_EQ(trait, -1);
    EXPECT_TRUE(pos()->hash_key == (expected_keys().hash_key ^ ep_keys[case64[square_of(5, 3)]]));

    for (const char* ep : {"i3", "e9", "E3", "3e", "e", "x"}) {
        const std::string fen = std::string("4k3/8/8/8/8/8/8/4K3 w - ") + ep + " 0 1";
        ASSERT_EQ(setup_fen(fen), 0) << ep;
        EXPECT_EQ(pos()->case_ep, 0u) << ep;
        EXPECT_TRUE(pos()->hash_key == expected_keys().hash_key) << ep;
    }
}

TEST(SetupReject, MessagesAndGameState)
{
    struct Case {
        const char* fen;
        const char* printed;
    } cases[] = {
        {"8/8/8 w - -", "\nNombre de rois incorrect: 0 roi(s) blanc(s) / 0 roi(s) noir(s)\n"},
        {"4k3/8/8/PPPPPPPP/PPPPPPPP/8/8/4K3 w - - 0 1",
         "1\nNombre de pieces incorrect: 17 piece(s) blanche(s) / 1 piece(s) noire(s)\n"},
        {"4k3/8/8/8/8/8/8/4RK2 w - - 0 1", "1\nLe roi adverse est en prise\n"},
    };
    for (const Case& c : cases) {
        int result = 0;
        EXPECT_EQ(fen_output(c.fen, &result), c.printed) << c.fen;
        EXPECT_EQ(result, -1) << c.fen;
        EXPECT_EQ(game_state, GAME_ILLEGAL_POSITION) << c.fen;
    }
    // Accepted: the side to move in check, and fifteen pieces beside the king.
    EXPECT_EQ(setup_fen("4k3/8/8/8/8/8/8/4RK2 b - - 0 1"), 0);
    EXPECT_EQ(game_state, GAME_IN_PROGRESS);
    EXPECT_EQ(setup_fen("4k3/8/8/PPPPPPPP/PPPPPPP1/8/8/4K3 w - - 0 1"), 0);
    EXPECT_EQ(ficha[WHITE][15].square, static_cast<uint32_t>(square_of(8, 5)));
}

TEST(SetupReject, BadPlacementChangesNothingAndPrintsNothing)
{
    ASSERT_EQ(setup_fen("r3k3/8/8/3pP3/8/8/8/R3K2R w Kq d6 0 1"), 0);
    game_state = GAME_REPETITION;
    const std::string before = take_record();
    for (const char* fen :
         {"7/8/8/8/8/8/8/8 w - -", "rnbqkbnr/ppxppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w", "", "8/8/8",
          "9/8 w", "0/8 w", "8/8/8/8/8/8/8/P8 w - -", "4k3/8/8/8/8/8/8/4K4 w - -"}) {
        int result = 0;
        EXPECT_EQ(fen_output(fen, &result), "") << fen;
        EXPECT_EQ(result, -1) << fen;
        EXPECT_TRUE(take_record() == before) << fen;
        EXPECT_EQ(game_state, GAME_REPETITION) << fen;
    }
}

TEST(SetupReject, RejectedBoardRestoresTheLastAcceptedPosition)
{
    ASSERT_EQ(setup_fen("r3k3/8/8/3pP3/8/8/8/R3K2R w Kq d6 0 1"), 0);
    // Records above the set-up as a played game would leave them.
    ply = 2;
    etats[1] = etats[0];
    etats[1].coup = 0x1234;
    etats[2] = etats[0];
    etats[2].irreversible = 1;
    const std::string before = take_record();
    for (const char* fen : {"8/8/8 w - -", "4k3/8/8/PPPPPPPP/PPPPPPPP/8/8/4K3 b - - 0 1",
                            "4k3/8/8/8/8/8/8/4RK2 w - - 0 1", "4kk2/8/8/8/8/8/8/4K3 b - - 0 1"}) {
        EXPECT_EQ(setup_fen(fen), -1) << fen;
        EXPECT_EQ(game_state, GAME_ILLEGAL_POSITION) << fen;
        EXPECT_TRUE(take_record() == before) << fen;
    }
    EXPECT_EQ(capture_stdout([] { EXPECT_EQ(verifie_position("after rejection\n"), 0); }), "");
    ply = 0;
}

TEST(SetupFen, TruncatedRecordsAreReadSafely)
{
    const std::string full =
        "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 bm Nf6; id \"x\";";
    for (size_t len = 0; len <= full.size(); ++len) {
        ASSERT_EQ(setup_fen(START_FEN), 0);
        const std::string before = take_record();
        // Exactly len characters and the terminator, so any read beyond them is out of bounds.
        std::unique_ptr<char[]> text(new char[len + 1]);
        std::memcpy(text.get(), full.data(), len);
        text[len] = 0;
        const int result = setup_fen(text.get());
        if (result != 0) {
            EXPECT_TRUE(take_record() == before) << len;
            continue;
        }
        EXPECT_TRUE(pos()->pawn_key == expected_keys().pawn_key) << len;
        EXPECT_EQ(capture_stdout([] { verifie_position("truncated\n"); }), "") << len;
    }
}
