// Move ordering: hand-counted scores for each routine on small positions (captures, contact
// checks, evasions in tests/data; the hash move, pair tables and history here), the removal of
// illegal moves by the precise ordering, 16-bit wrap, the pick order of next_move and the first
// pick the scoring routines hand back in its place.
#include "search/ordering.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/board.h"
#include "core/makemove.h"
#include "movegen/movegen.h"
#include "movegen/notation.h"
#include "search/search.h"
#include "test_support.h"

namespace {

// Every test starts from empty search tables and leaves them so for the suites that follow.
class Ordering : public testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override
    {
        std::memset(ply_info, 0, sizeof ply_info);
        std::memset(killers, 0, sizeof killers);
        std::memset(countermoves, 0, sizeof countermoves);
        std::memset(history, 0, sizeof history);
    }
};

void load_list(int height, std::initializer_list<Move> moves)
{
    ply_start[height] = 0;
    ply_start[height + 1] = 0;
    for (Move m : moves) move_stack[ply_start[height + 1]++] = MoveEntry{m, 0};
}

int score_of(int height, Move m)
{
    for (int i = ply_start[height]; i < ply_start[height + 1]; ++i)
        if (move_stack[i].move == m) return move_stack[i].score;
    ADD_FAILURE() << "move not in list";
    return 0;
}

// The score `routine` gives the move as the only entry of the height's list.
int scored(int (*routine)(int), int height, const char* move)
{
    load_list(height, {text_to_move(move)});
    routine(height);
    return move_stack[0].score;
}

TEST_F(Ordering, ScoresFromThePositionAlone)
{
    const auto rows = data_rows("ordering_scores.txt");
    ASSERT_GT(rows.size(), 15u);
    for (const auto& row : rows) {
        ASSERT_EQ(setup_fen(row[1]), 0);
        int (*routine)(int) = row[0] == "plain"      ? ordonne
                              : row[0] == "evasions" ? ordonne_evasions
                                                     : ordonne_captures;
        EXPECT_EQ(scored(routine, 1, (row[2] + row[3]).c_str()), std::stoi(row[4]))
            << row[1] << " " << row[2] << row[3];
    }
}

TEST_F(Ordering, HashMovePairTablesAndHistory)
{
    ASSERT_EQ(setup_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1"), 0);
    make_move(text_to_move("e7e5"));  // the opponent's last move at the node
    ply_info[3].hash_move = text_to_move("e2e4");
    killers[3].move1 = text_to_move("g1f3");
    killers[1] = MovePair{text_to_move("b1c3"), text_to_move("a2a3"), 0, 0};
    countermoves[WHITE][move_index_of(text_to_move("e7e5"))].move2 = text_to_move("b1c3");
    for (int i = 0; i < 3; ++i)
        count_try(history[WHITE][move_index_of(text_to_move("g1f3"))], true);
    for (auto routine : {ordonne, ordonne_evasions, ordonne_captures})
        EXPECT_EQ(scored(routine, 3, "e2e4"), 20000);
    EXPECT_EQ(scored(ordonne, 3, "g1f3"), 6 + 40 + 48 + 5);
    EXPECT_EQ(scored(ordonne, 3, "b1c3"), 6 + 50 + 5);  // countermove before old killer
    EXPECT_EQ(scored(ordonne, 3, "a2a3"), -5 + 30 + 5);
    EXPECT_EQ(scored(ordonne_evasions, 3, "b1c3"), 6 + 50 + 1 - 160);
    EXPECT_EQ(scored(ordonne_captures, 3, "g1f3"), 6 + 40 + 7);
    // At height 2 there is no killer bonus from two plies up.
    killers[0] = killers[1];
    EXPECT_EQ(scored(ordonne, 2, "a2a3"), 0);
    EXPECT_EQ(scored(ordonne, 2, "e2e4"), 25);
    // A history bonus past 16 bits wraps: 64 * 1000 + 25 = 64025 = -1511 (mod 2^16).
    history[WHITE][move_index_of(text_to_move("d2d4"))] = HistoryEntry{0, 1000, 64000};
    EXPECT_EQ(scored(ordonne, 2, "d2d4"), -1511);
}

TEST_F(Ordering, PreciseOrderingDropsIllegalMovesButNotTheHashMove)
{
    ASSERT_EQ(setup_fen("4k3/4r3/8/8/8/8/4B3/R3K3 w - - 0 1"), 0);
    const Move hash = text_to_move("e2f3"), quiet = text_to_move("e1d1"),
               check = text_to_move("a1a8");
    ply_info[0].hash_move = hash;
    const Key96 key = pos()->hash_key;
    load_list(0, {text_to_move("e2d3"), quiet, text_to_move("e2b5"), check, hash});
    ordonne_precis(0);
    EXPECT_TRUE(ply == 0 && pos()->hash_key == key);
    ASSERT_EQ(ply_start[1] - ply_start[0], 3);  // the pinned bishop stays, but for the hash move
    EXPECT_EQ(score_of(0, hash), 20000);
    EXPECT_GT(score_of(0, check), score_of(0, quiet));
}

TEST_F(Ordering, NextMovePicksFirstMaximumAndRefillsFromTheEnd)
{
    engine_init_for_tests();
    const int16_t scores[] = {-7, 9, -3, 9, -32000};
    ply_start[5] = 10;
    ply_start[6] = 15;
    for (int i = 0; i < 5; ++i) move_stack[10 + i] = MoveEntry{Move(i + 1), scores[i]};

    EXPECT_EQ(next_move(5), 2u);
    ASSERT_EQ(ply_start[6], 14);
    for (Move expected : {4u, 3u, 1u, 5u, 0u}) EXPECT_EQ(next_move(5), expected);
    EXPECT_EQ(ply_start[6], 10);
}

// The first pick a scoring routine returns is the entry next_move's scan takes: ties at the top
// (d2d4 and e2e4 score alike at the start), wrapped scores, captures, the hash move, and lists the
// precise ordering shortened by dropping illegal moves.
TEST_F(Ordering, ScoringReturnsTheScansFirstPick)
{
    const char* fens[] = {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
                          "4k3/4r3/8/8/8/8/4B3/R3K3 w - - 0 1",
                          "r3k2r/pp3ppp/2n1bn2/q1bpp3/3P4/2N1PN2/PPQ1BPPP/R1B1K2R w KQkq - 0 1"};
    int (*const routines[])(int) = {ordonne, ordonne_captures, ordonne_evasions, ordonne_precis};
    for (const char* fen : fens) {
        ASSERT_EQ(setup_fen(fen), 0) << fen;
        history[WHITE][move_index_of(text_to_move("e2e4"))] =
            HistoryEntry{0, 1000, 64000};  // wraps
        for (auto routine : routines) {
            for (Move hash : {NULL_MOVE, text_to_move("a1a2")}) {
                ply_info[0].hash_move = hash;
                ply_start[0] = 0;
                genere_all_moves(0);
                const int pick = routine(0);
                ASSERT_LT(pick, ply_start[1]) << fen;
                const Move picked = move_stack[pick].move;
                EXPECT_EQ(next_move(0), picked) << fen;
            }
        }
    }
}

}  // namespace
