// Colour symmetry of the whole evaluation on the perft positions and random games: a position and
// its mirror image (colours, side to move, castling rights and en-passant square swapped) evaluate
// alike, and the evaluation leaves the position record exactly as it found it.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/makemove.h"
#include "core/position_snapshot.h"
#include "core/setup.h"
#include "eval/evaluation.h"
#include "test_support.h"

namespace {

struct Board {
    int32_t squares[64];
    int side;
    uint32_t castling, ep;
};

Board current_board()
{
    Board b{{}, trait, pos()->roque, pos()->case_ep};
    for (int i = 0; i < 64; ++i) b.squares[i] = echiquier[case120[i]];
    return b;
}

Board mirrored(const Board& b)
{
    Board m{{}, -b.side, (b.castling & 3) << 2 | (b.castling >> 2 & 3), 0};
    for (int i = 0; i < 64; ++i)
        m.squares[i ^ 7] = b.squares[i] != 0 ? b.squares[i] ^ (WHITE_BIT | BLACK_BIT) : 0;
    if (b.ep != 0) m.ep = square_of(colonne[b.ep], 9 - rangee[b.ep]);
    return m;
}

// The board set up afresh and evaluated in a wide and a narrow window (caches cleared first);
// the record must come out unchanged and consistent.
std::vector<int> evaluate(const Board& b)
{
    int status = 0;
    capture_stdout([&] { status = init_echiquier(b.squares, b.side, b.castling, b.ep); });
    EXPECT_EQ(status, 0);
    clear_caches();
    const PositionSnapshot before = take_snapshot();
    std::vector<int> values = {evaluation(-30000, 30000), evaluation(-40, 40)};
    EXPECT_EQ(first_difference(before, take_snapshot()), "");
    return values;
}

// Every fifth position of the random games must also evaluate as the same board set up afresh.
TEST(EvaluationSymmetry, PerftPositionsAndRandomGames)
{
    engine_init_for_tests();
    std::vector<std::pair<Board, int>> boards;  // with the value in the game, or 0
    std::ifstream in(QUARVELIN_TEST_DATA "/perft.epd");
    for (std::string line; std::getline(in, line);) {
        ASSERT_EQ(setup_fen(line.substr(0, line.find(';'))), 0) << line;
        boards.emplace_back(current_board(), 0);
    }
    const size_t perft_count = boards.size();
    std::mt19937 random(20240611);
    for (int game = 0; game < 6; ++game) {
        capture_stdout([] { nouvelle_partie(); });
        for (int move_number = 0; move_number < 150; ++move_number) {
            if (move_number % 5 == 4) {
                clear_caches();
                boards.emplace_back(current_board(), evaluation(-30000, 30000));
            }
            const std::vector<Move> legal = legal_moves();
            if (legal.empty()) break;
            make_move(legal[random() % legal.size()]);
        }
    }
    for (size_t i = 0; i < boards.size(); ++i) {
        SCOPED_TRACE("board " + std::to_string(i));
        const std::vector<int> values = evaluate(boards[i].first);
        if (i >= perft_count) {
            EXPECT_EQ(values[0], boards[i].second);
        }
        EXPECT_EQ(values, evaluate(mirrored(boards[i].first)));
    }
}

}  // namespace
