// The game-end test in each of its outcomes and in its order (insufficient material, then the
// fifty-move rule, then repetition, then mate or stalemate), the repetition count's window and
// its root rule, and the exact text of the saved game with its failure paths.
#include "frontend/gameend.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/board.h"
#include "core/makemove.h"
#include "frontend/settings.h"
#include "movegen/notation.h"
#include "test_support.h"

namespace {

const char* const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Plays coordinate moves on the game, each of which must be legal.
void play(const std::vector<const char*>& moves)
{
    for (const char* text : moves) {
        const Move m = text_to_move(text);
        ASSERT_EQ(is_legal_move(m), 1) << text;
        make_move(m);
    }
}

void play_times(const std::vector<const char*>& moves, int times)
{
    for (int i = 0; i < times; ++i) play(moves);
}

TEST(GameEnd, MaterialMateAndStalemateFromSetUp)
{
    const std::pair<const char*, int> cases[] = {
        {"4k3/8/8/3n4/8/8/8/2B1K3 w - - 0 1", GAME_INSUFFICIENT},
        {"4k3/8/8/8/8/8/8/4K3 b - - 0 1", GAME_INSUFFICIENT},
        {"4k3/8/8/3b4/8/8/8/2B1K3 w - - 0 1", GAME_INSUFFICIENT},
        {"4k3/8/8/8/8/8/8/1NN1K3 w - - 0 1", GAME_IN_PROGRESS},  // two minor pieces
        {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", GAME_IN_PROGRESS},
        {"4k3/8/8/8/8/8/8/3QK3 w - - 0 1", GAME_IN_PROGRESS},
        {"4k3/p7/8/8/8/8/8/4K3 w - - 0 1", GAME_IN_PROGRESS},
        {"k7/2K5/1B6/8/8/8/8/8 b - - 0 1", GAME_INSUFFICIENT},  // also stalemate
        {"k7/2K5/1B6/8/8/8/7P/8 b - - 0 1", GAME_STALEMATE},
        {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", GAME_STALEMATE},
        {"R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1", GAME_WHITE_MATES},
        {"R5k1/5pp1/8/8/8/8/8/6K1 b - - 0 1", GAME_IN_PROGRESS},  // check with an escape
    };
    for (const auto& [fen, state] : cases) {
        ASSERT_EQ(setup_fen(fen), 0) << fen;
        EXPECT_EQ(game_end_test(), state) << fen;
    }
}

TEST(GameEnd, MateAfterMovesLeavesThePositionAlone)
{
    ASSERT_EQ(setup_fen(START), 0);
    play({"f2f3", "e7e5", "g2g4", "d8h4"});
    const Key96 before = etats[ply].hash_key;
    EXPECT_EQ(game_end_test(), GAME_BLACK_MATES);
    EXPECT_EQ(root_ply, 4);
    EXPECT_TRUE(etats[ply].hash_key == before);
    EXPECT_EQ(ply, 4);
}

TEST(GameEnd, FiftyMovesComesBeforeMate)
{
    // Black shuffles a knight, White a rook; the hundredth reversible ply mates.
    ASSERT_EQ(setup_fen("5R1k/1n4pp/8/8/8/8/8/K7 b - - 0 1"), 0);
    EXPECT_EQ(game_end_test(), GAME_WHITE_MATES);
    ASSERT_EQ(setup_fen("7k/1n4pp/8/8/8/8/5R2/K7 b - - 0 1"), 0);
    play_times({"b7a5", "f2f1", "a5b7", "f1f2"}, 24);
    play({"b7a5", "f2f1", "a5b7"});
    ASSERT_EQ(ply, 99);
    EXPECT_EQ(game_end_test(), GAME_REPETITION);  // not yet fifty moves
    play({"f1f8"});
    EXPECT_EQ(game_end_test(), GAME_FIFTY_MOVES);
}

TEST(GameEnd, ThirdOccurrenceIsARepetitionDraw)
{
    ASSERT_EQ(setup_fen(START), 0);
    const std::vector<const char*> dance = {"g1f3", "g8f6", "f3g1", "f6g8"};
    play(dance);
    EXPECT_EQ(game_end_test(), GAME_IN_PROGRESS);
    EXPECT_EQ(repetition_count(), 2);
    // Inside a search whose root lies before the first occurrence, once is enough.
    root_ply = 0;
    EXPECT_EQ(repetition_count(), 3);
    play({"g1f3", "g8f6"});
    EXPECT_EQ(game_end_test(), GAME_IN_PROGRESS);
    play({"f3g1", "f6g8"});
    EXPECT_EQ(game_end_test(), GAME_REPETITION);
}

TEST(GameEnd, RepetitionWindow)
{
    // White's king walks a triangle while Black's steps out and back: after five plies the
    // board is the starting one with the other side to move, which is no repetition.
    ASSERT_EQ(setup_fen("4k3/p7/8/8/8/8/P7/4K3 w - - 0 1"), 0);
    play({"e1d1", "e8d8", "d1d2", "d8e8", "d2e1"});
    ASSERT_TRUE(etats[ply].hash_key == etats[0].hash_key);
    root_ply = 0;
    EXPECT_EQ(repetition_count(), 1);

    // Two null moves give the starting board back; the search stops at the second one.
    ASSERT_EQ(setup_fen(START), 0);
    make_null_move();
    make_null_move();
    play({"g1f3", "g8f6", "f3g1", "f6g8"});
    root_ply = 100;
    EXPECT_EQ(repetition_count(), 2);  // ply 2 matches, ply 0 is out of reach
    root_ply = 0;
    EXPECT_EQ(repetition_count(), 3);
}

// Runs f in a fresh temporary directory, which it leaves and removes afterwards.
template <typename F>
void in_temp_dir(F f)
{
    namespace fs = std::filesystem;
    const fs::path home = fs::current_path();
    const fs::path dir =
        fs::temp_directory_path() / ("quarvelin_pgn_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::current_path(dir);
    f();
    fs::current_path(home);
    fs::remove_all(dir);
}

std::string read_file(const char* name)
{
    std::ifstream in(name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const std::string TAGS =
    "[Event \"?\"]\n[Site \"?\"]\n[Date \"?\"]\n[Round  \"?\"]\n[White \"?\"]\n[Black \"?\"]\n"
    "[Result \"?\"]\n[TimeControl \"?\"]\n";

TEST(GamePgn, OddNumberOfPliesEndsWithTheResultOnTheLastMoveLine)
{
    ASSERT_EQ(setup_fen(START), 0);
    play({"e2e4", "d7d5", "e4d5"});
    in_temp_dir([] {
        EXPECT_EQ(capture_stdout([] { EXPECT_EQ(write_pgn(), 0); }),
                  "Partie sauvee dans <game.pgn>\n");
        EXPECT_EQ(read_file("game.pgn"),
                  TAGS + "  1. e4   d5\n  2. e4xd5    * {Game in progress}\n");
    });
}

TEST(GamePgn, LongFormsNumbersAndTheResultText)
{
    ASSERT_EQ(setup_fen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"), 0);
    play({"e1g1", "e8c8"});
    play_times({"a1b1", "d8d7", "b1a1", "d7d8"}, 4);
    play({"a1a8", "c8c7"});
    game_state = GAME_BLACK_MATES;  // any state: its text is what the file records
    in_temp_dir([] {
        capture_stdout([] { EXPECT_EQ(write_pgn(), 0); });
        std::string moves = "  1. O-O   O-O-O\n";
        for (int n = 2; n <= 9; n += 2)
            moves += "  " + std::to_string(n) + ". Ra1b1   Rd8d7\n  " + std::to_string(n + 1) +
                     ". Rb1a1   Rd7d8\n";
        EXPECT_EQ(read_file("game.pgn"), TAGS + moves + " 10. Ra1a8   Kc8c7\n 0-1 {Black mates}\n");
    });
    game_state = GAME_IN_PROGRESS;
}

TEST(GamePgn, FailuresAreReportedNotConfirmed)
{
    ASSERT_EQ(setup_fen(START), 0);
    in_temp_dir([] {
        std::filesystem::create_directory("game.pgn");  // cannot be opened for writing
        EXPECT_EQ(capture_stdout([] { EXPECT_EQ(write_pgn(), -1); }),
                  "Impossible d'ouvrir <game.pgn>\n");
    });
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    in_temp_dir([] {
        // Opens fine, but the data cannot reach the disk.
        std::filesystem::create_symlink("/dev/full", "game.pgn");
        EXPECT_EQ(capture_stdout([] { EXPECT_EQ(write_pgn(), -1); }),
                  "Impossible d'ouvrir <game.pgn>\n");
    });
}

}  // namespace
