// Set-up from boards and FEN/EPD records: the record built for the initial position, the reader's
// output and its tolerance of truncated text, and rejections, which leave the last accepted
// position in place. The consistency check rebuilds every key on its own.
#include "core/setup.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <tuple>

#include "core/board.h"
#include "core/game.h"
#include "core/position_snapshot.h"
#include "test_support.h"

namespace {

std::string fen_output(const char* fen, int* result)
{
    engine_init_for_tests();
    return capture_stdout([&] { *result = lit_fen(fen); });
}

}  // namespace

TEST(SetupInitial, NewGameAndItsFenGiveTheSameRecord)
{
    engine_init_for_tests();
    resign_ply[0] = resign_ply[1] = 17;
    game_state = GAME_STALEMATE;
    capture_stdout([] { nouvelle_partie(); });
    std::string slots[2];
    for (int c = 0; c < 2; ++c)
        for (int k = 0; k < 16; ++k) slots[c] += square_name(int(ficha[c][k].square));
    EXPECT_EQ(slots[WHITE], "e1a1a2b1b2c1c2d1d2e2f1f2g1g2h1h2");
    EXPECT_EQ(slots[BLACK], "e8a7a8b7b8c7c8d7d8e7f7f8g7g8h7h8");
    EXPECT_TRUE(pos()->roque == 15 && pos()->case_ep == 0 && trait == 1 && ply == 0);
    EXPECT_EQ(game_state, GAME_IN_PROGRESS);
    EXPECT_TRUE(resign_ply[0] == NO_RESIGN_PLY && resign_ply[1] == NO_RESIGN_PLY);
    EXPECT_EQ(consistency_errors(), "");

    const PositionSnapshot fresh = take_snapshot();
    int result = -1;
    EXPECT_EQ(fen_output(START, &result), "1\n");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(first_difference(fresh, take_snapshot()), "");
}

TEST(SetupFen, OutputOfTheTrailingFields)
{
    const std::string start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
    const std::tuple<std::string, const char*> cases[] = {
        {start + " 12 40", "2 40\n"},
        {start + " bm Nf3; id \"t1\";", "{ Coup : Nf3 }\nid \"t1\";\n"},
        {start + "\tbm  Nf3xe5+abc", "{ Coup : Nf3xe5+ }\nbc\n"},  // at most seven characters
        {start + " bx; id", "; id\n"},
    };
    for (const auto& [fen, printed] : cases) {
        int result = -1;
        EXPECT_EQ(fen_output(fen.c_str(), &result), printed) << fen;
        EXPECT_EQ(result, 0) << fen;
    }
}

TEST(SetupFen, CastlingRightsTrimmedByTheBoardAndEnPassantKeyed)
{
    ASSERT_EQ(setup_fen("r3k2r/8/8/8/8/8/8/R4K1R w KQkq - 0 1"), 0);
    EXPECT_EQ(pos()->roque, BLACK_KING_SIDE | BLACK_QUEEN_SIDE);
    EXPECT_EQ(consistency_errors(), "");
    ASSERT_EQ(setup_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b Kq e3 0 1"), 0);
    EXPECT_EQ(pos()->roque, WHITE_KING_SIDE | BLACK_QUEEN_SIDE);
    EXPECT_TRUE(pos()->case_ep == uint32_t(square_named("e3")) && trait == -1);
    EXPECT_EQ(consistency_errors(), "");
    // Only a square a pawn of the side not to move has just passed over is kept: the wrong rank
    // for the side, an occupied square or start square, or no pawn beyond give none.
    for (const char* fen : {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e3 0 1",
                            "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e3 0 1",
                            "rnbqkbnr/pppppppp/8/8/4P3/4N3/PPPP1PPP/RNBQKB1R b KQkq e3 0 1",
                            "rnbqkbnr/pppppppp/8/8/4P3/8/PPPPBPPP/RNBQK1NR b KQkq e3 0 1",
                            "rnbqkbnr/pppppppp/8/8/8/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"}) {
        ASSERT_EQ(setup_fen(fen), 0) << fen;
        EXPECT_EQ(pos()->case_ep, 0u) << fen;
        EXPECT_EQ(consistency_errors(), "") << fen;
    }
    ASSERT_EQ(setup_fen("rnbqkbnr/pp1ppppp/8/8/2pPP3/8/PPP2PPP/RNBQKBNR b KQkq d3 0 1"), 0);
    EXPECT_EQ(pos()->case_ep, uint32_t(square_named("d3")));
    // Accepted: the side to move in check, and fifteen pieces beside the king.
    EXPECT_EQ(setup_fen("4k3/8/8/8/8/8/8/4RK2 b - - 0 1"), 0);
    EXPECT_EQ(setup_fen("4k3/8/8/PPPPPPPP/PPPPPPP1/8/8/4K3 w - - 0 1"), 0);
    EXPECT_EQ(game_state, GAME_IN_PROGRESS);
}

// A rejection leaves the last accepted position, with records above the set-up as a played game
// would leave them, exactly in place (the records in tests/data). Bad placements are silent and
// keep the game state; rejected boards print their message and mark the position illegal.
TEST(SetupReject, MessagesAndTheLastAcceptedPositionKept)
{
    const auto rows = data_rows("setup_rejects.txt");
    ASSERT_GT(rows.size(), 10u);
    ASSERT_EQ(setup_fen("r3k3/8/8/3pP3/8/8/8/R3K2R w Kq d6 0 1"), 0);
    ply = 2;
    etats[1] = etats[2] = etats[0];
    etats[1].coup = 0x1234;
    etats[2].irreversible = 1;
    const PositionSnapshot before = take_snapshot();
    for (const auto& row : rows) {
        const char* fen = row[0].c_str();
        std::string printed;  // with each "\\n" of the table turned into a line end
        for (size_t i = 0; i < row[1].size(); ++i)
            printed += row[1].compare(i, 2, "\\n") == 0 ? (++i, '\n') : row[1][i];
        game_state = GAME_REPETITION;
        int result = 0;
        EXPECT_EQ(fen_output(fen, &result), printed) << fen;
        EXPECT_EQ(result, -1) << fen;
        EXPECT_EQ(game_state, !printed.empty() ? GAME_ILLEGAL_POSITION : GAME_REPETITION) << fen;
        EXPECT_EQ(first_difference(before, take_snapshot()), "") << fen;
    }
    ply = 0;
}

TEST(SetupFen, TruncatedRecordsAreReadSafely)
{
    const std::string full =
        "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 bm Nf6; id \"x\";";
    for (size_t len = 0; len <= full.size(); ++len) {
        ASSERT_EQ(setup_fen(START), 0);
        const PositionSnapshot before = take_snapshot();
        // Exactly len characters and the terminator, so any read beyond them is out of bounds.
        std::unique_ptr<char[]> text(new char[len + 1]);
        std::memcpy(text.get(), full.data(), len);
        text[len] = 0;
        if (setup_fen(text.get()) != 0) {
            EXPECT_EQ(first_difference(before, take_snapshot()), "") << len;
            continue;
        }
        EXPECT_EQ(consistency_errors(), "") << len;
    }
}
