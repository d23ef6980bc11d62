// The game-end test in each of its outcomes and in its order (insufficient material, mate, the
// fifty-move rule, repetition, stalemate), the rights that make two positions differ, the
// repetition count's root rule, and the exact text of the saved game with a failed write.
#include "frontend/gameend.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/board.h"
#include "core/makemove.h"
#include "frontend/settings.h"
#include "full_disk.h"
#include "movegen/notation.h"
#include "test_support.h"

namespace {

const char* const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

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

// Insufficient material only where no sequence of legal moves can mate; every other position
// without pawns, rooks or queens plays on (an interface's referee scores a false claim as a loss).
TEST(GameEnd, InsufficientMaterialOnlyWhereNoMateIsPossible)
{
    const std::pair<const char*, int> cases[] = {
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", GAME_INSUFFICIENT},
        {"4k3/8/8/8/8/8/8/1N2K3 w - - 0 1", GAME_INSUFFICIENT},
        {"4k3/8/8/3n4/8/8/8/4K3 w - - 0 1", GAME_INSUFFICIENT},
        {"4k3/8/8/8/8/8/8/2B1K3 b - - 0 1", GAME_INSUFFICIENT},
        {"4k3/8/8/3b4/8/8/8/4K3 b - - 0 1", GAME_INSUFFICIENT},
        {"k7/2K5/1B6/8/8/8/8/8 b - - 0 1", GAME_INSUFFICIENT},  // also stalemate
        // Bishops only, all on one colour: any number, either side.
        {"4k3/8/8/4b3/8/8/8/2B1K3 w - - 0 1", GAME_INSUFFICIENT},
        {"1b2k3/8/8/8/8/8/8/B1B1K3 w - - 0 1", GAME_INSUFFICIENT},
        {"4k3/1b6/8/3b4/8/8/8/4K3 b - - 0 1", GAME_INSUFFICIENT},
        // Mate stays possible: play goes on.
        {"4k3/8/8/3n4/8/8/8/1N2K3 w - - 0 1", GAME_IN_PROGRESS},
        {"4k3/8/8/3n4/8/8/8/2B1K3 w - - 0 1", GAME_IN_PROGRESS},
        {"4k3/8/8/3N4/8/8/8/2b1K3 b - - 0 1", GAME_IN_PROGRESS},
        {"4k3/8/8/3b4/8/8/8/2B1K3 w - - 0 1", GAME_IN_PROGRESS},  // opposite colours
        {"4k3/8/8/8/8/8/8/1BB1K3 w - - 0 1", GAME_IN_PROGRESS},   // a pair on both colours
        {"4k3/8/8/8/8/8/8/1NN1K3 w - - 0 1", GAME_IN_PROGRESS},
        {"4k3/8/8/8/8/8/8/1nn1K3 b - - 0 1", GAME_IN_PROGRESS},
        {"4k3/p7/8/8/8/8/8/4K3 w - - 0 1", GAME_IN_PROGRESS},
    };
    for (const auto& [fen, state] : cases) {
        ASSERT_EQ(setup_fen(fen), 0) << fen;
        EXPECT_EQ(game_end_test(), state) << fen;
    }
}

TEST(GameEnd, MateAndStalemate)
{
    const std::pair<const char*, int> cases[] = {
        {"k7/2K5/1B6/8/8/8/7P/8 b - - 0 1", GAME_STALEMATE},
        {"R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1", GAME_WHITE_MATES},
        {"R5k1/5pp1/8/8/8/8/8/6K1 b - - 0 1", GAME_IN_PROGRESS},  // check with an escape
        // Knight against knight: a mate is possible, and it is announced as one.
        {"7k/5K2/6N1/8/8/8/8/n7 b - - 0 1", GAME_IN_PROGRESS},
        {"6nk/5N2/6K1/8/8/8/8/8 b - - 0 1", GAME_WHITE_MATES},
    };
    for (const auto& [fen, state] : cases) {
        ASSERT_EQ(setup_fen(fen), 0) << fen;
        EXPECT_EQ(game_end_test(), state) << fen;
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

TEST(GameEnd, ThirdOccurrenceIsARepetitionDraw)
{
    ASSERT_EQ(setup_fen(START), 0);
    play({"g1f3", "g8f6", "f3g1", "f6g8"});
    EXPECT_EQ(game_end_test(), GAME_IN_PROGRESS);
    EXPECT_EQ(repetition_count(), 2);
    root_ply = 0;  // inside a search rooted before the first occurrence, once is enough
    EXPECT_EQ(repetition_count(), 3);
    play({"g1f3", "g8f6", "f3g1", "f6g8"});
    EXPECT_EQ(game_end_test(), GAME_REPETITION);
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
