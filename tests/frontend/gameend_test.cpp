// The game-end test in each of its outcomes (tests/data) and in its order (insufficient material,
// mate, the fifty-move rule, repetition, stalemate), the rights that make two positions differ,
// and the exact text of the saved game with a failed write.
#include "frontend/gameend.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/board.h"
#include "core/game.h"
#include "core/makemove.h"
#include "full_disk.h"
#include "movegen/notation.h"
#include "test_support.h"

namespace {

// Plays coordinate moves on the game, `times` over; each must be legal.
void play(const std::vector<const char*>& moves, int times = 1)
{
    for (int i = 0; i < times; ++i)
        for (const char* text : moves) {
            const Move m = text_to_move(text);
            ASSERT_EQ(is_legal_move(m), 1) << text;
            make_move(m);
        }
}

// Writes the game in a fresh temporary directory, made ready by `prepare`; returns what
// write_pgn printed, its result and, when it succeeded, the file's text.
template <typename F>
std::string saved_game(F prepare, int* result, std::string* file)
{
    const ScratchDir dir(true);
    prepare();
    const std::string printed = capture_stdout([&] { *result = write_pgn(); });
    *file = *result == 0 ? file_text("game.pgn") : "";
    return printed;
}

const std::string TAGS =
    "[Event \"?\"]\n[Site \"?\"]\n[Date \"?\"]\n[Round  \"?\"]\n[White \"?\"]\n[Black \"?\"]\n"
    "[Result \"?\"]\n[TimeControl \"?\"]\n";

}  // namespace

TEST(GameEnd, InsufficientMaterialMateAndStalemate)
{
    const auto rows = data_rows("game_ends.txt");
    ASSERT_GT(rows.size(), 20u);
    for (const auto& row : rows) {
        ASSERT_EQ(setup_fen(row[0]), 0) << row[0];
        const int state = row[1] == "insufficient"  ? GAME_INSUFFICIENT
                          : row[1] == "stalemate"   ? GAME_STALEMATE
                          : row[1] == "white mates" ? GAME_WHITE_MATES
                                                    : GAME_IN_PROGRESS;
        EXPECT_EQ(game_end_test(), state) << row[0];
    }
    ASSERT_EQ(setup_fen(START), 0);
    play({"f2f3", "e7e5", "g2g4", "d8h4"});
    EXPECT_EQ(game_end_test(), GAME_BLACK_MATES);
    EXPECT_TRUE(ply == 4 && root_ply == 4);
}

TEST(GameEnd, FiftyMovesComesBeforeRepetitionButNotBeforeMate)
{
    // Black shuffles a knight, White a rook; the hundredth reversible ply may mate.
    ASSERT_EQ(setup_fen("7k/1n4pp/8/8/8/8/5R2/K7 b - - 0 1"), 0);
    play({"b7a5", "f2f1", "a5b7", "f1f2"}, 24);
    play({"b7a5", "f2f1", "a5b7"});
    ASSERT_EQ(ply, 99);
    EXPECT_EQ(game_end_test(), GAME_REPETITION);
    play({"f1f3"});
    EXPECT_EQ(game_end_test(), GAME_FIFTY_MOVES);
    unmake_move(etats[ply - 1].coup);
    play({"f1f8"});
    EXPECT_EQ(game_end_test(), GAME_WHITE_MATES);
}

// Castling and en-passant rights are part of the position: occurrences that differ in them
// are different positions, so the draw comes one cycle later than the placement alone says.
TEST(GameEnd, RepetitionCountsCastlingAndEnPassantRights)
{
    ASSERT_EQ(setup_fen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"), 0);
    const std::vector<const char*> cycle = {"a1b1", "a8b8", "b1a1", "b8a8"};
    play(cycle, 2);  // the start had all four rights; plies 4 and 8 keep only the king sides
    EXPECT_EQ(game_end_test(), GAME_IN_PROGRESS);
    play(cycle);
    EXPECT_EQ(game_end_test(), GAME_REPETITION);

    // Black may take en passant at the start only.
    ASSERT_EQ(setup_fen("4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 1"), 0);
    const std::vector<const char*> kings = {"e8f8", "e1f1", "f8e8", "f1e1"};
    play(kings, 2);
    EXPECT_EQ(game_end_test(), GAME_IN_PROGRESS);
    play(kings);
    EXPECT_EQ(game_end_test(), GAME_REPETITION);
}

// The console session saves an unfinished game; here castling, two-digit move numbers, a final
// state's text, and a write that fails after the open.
TEST(GamePgn, ExactTextOfAFinishedGameAndAFullDisk)
{
    int result = -1;
    std::string file;
    ASSERT_EQ(setup_fen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"), 0);
    play({"e1g1", "e8c8"});
    play({"a1b1", "d8d7", "b1a1", "d7d8"}, 4);
    play({"a1a8", "c8c7"});
    game_state = GAME_BLACK_MATES;  // any state: its text is what the file records
    EXPECT_EQ(saved_game([] {}, &result, &file), "Partie sauvee dans <game.pgn>\n");
    EXPECT_EQ(result, 0);
    std::string moves = "  1. O-O   O-O-O\n";
    for (int n = 2; n <= 9; n += 2)
        moves += "  " + std::to_string(n) + ". Ra1b1   Rd8d7\n  " + std::to_string(n + 1) +
                 ". Rb1a1   Rd7d8\n";
    EXPECT_EQ(file, TAGS + moves + " 10. Ra1a8   Kc8c7\n 0-1 {Black mates}\n");
    game_state = GAME_IN_PROGRESS;

    // /dev/full opens but takes no data: the failure must be reported, not a success.
    EXPECT_EQ(saved_game([] { std::filesystem::create_symlink("/dev/full", "game.pgn"); }, &result,
                         &file),
              "Impossible d'ouvrir <game.pgn>\n");
    EXPECT_EQ(result, -1);

    // On a full disk the game saved before stays whole, and no temporary file is left.
    SmallDisk disk;
    if (!disk.mounted) GTEST_SKIP() << "no tmpfs could be mounted (needs root)";
    const std::filesystem::path home = std::filesystem::current_path();
    std::filesystem::current_path(disk.dir);
    std::ofstream("game.pgn") << "the game saved before\n";
    disk.fill();
    EXPECT_EQ(capture_stdout([&] { result = write_pgn(); }), "Impossible d'ouvrir <game.pgn>\n");
    EXPECT_EQ(result, -1);
    EXPECT_EQ(file_text("game.pgn"), "the game saved before\n");
    EXPECT_EQ(entries_in("."), 2u);
    std::filesystem::current_path(home);
}
