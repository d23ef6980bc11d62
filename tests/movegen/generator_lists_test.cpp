// Exact lists of the generators on small positions (tests/data): the fixed orders (types, slots,
// steps, promotions, en passant, direct checks), castling rules, victim classes by threshold and
// the evasion cases, which leave `attaques` unchanged. Random play checks them as sets.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "core/board.h"
#include "core/tables.h"
#include "movegen/movegen.h"
#include "test_support.h"

namespace {

// Entries [begin, end) of the move stack as text ("Pe2e4 Pb7a8xR=Q"), those of one moving type
// only unless type is 0.
std::string listed(int begin, int end, int type = 0)
{
    std::string s;
    for (int i = begin; i < end; ++i) {
        const Move m = move_stack[i].move;
        if (type != 0 && move_piece(m) != type) continue;
        s += std::string(s.empty() ? "" : " ") + type_letters[move_piece(m)] +
             square_name(move_from(m)) + square_name(move_to(m));
        if (move_captured(m)) s += std::string("x") + type_letters[move_captured(m)];
        if (move_promotion(m)) s += std::string("=") + type_letters[move_promotion(m)];
    }
    return s;
}

}  // namespace

TEST(MovegenLists, ListsInTheirFixedOrder)
{
    const auto rows = data_rows("move_lists.txt");
    ASSERT_GT(rows.size(), 15u);
    for (const auto& row : rows) {
        ASSERT_EQ(setup_fen(row[1]), 0) << row[1];
        const int type = row[2] == "-" ? 0 : int(std::string(type_letters).find(row[2][0]));
        uint32_t before[2][BOARD_SIZE];
        std::memcpy(before, attaques, sizeof before);
        ply_start[3] = 500;  // any list of the stack
        if (row[0] == "all")
            genere_all_moves(3);
        else if (row[0] == "evasions")
            genere_evasions(3);
        else
            ply_start[4] = genere_echecs(500);
        EXPECT_EQ(listed(500, ply_start[4], type), row[3]) << row[1];
        EXPECT_EQ(std::memcmp(before, attaques, sizeof before), 0) << row[1];
    }
}

TEST(MovegenLists, CapturesByVictimClassDownToTheThreshold)
{
    // White attacks a queen twice, a rook twice, a bishop, a knight and a pawn.
    ASSERT_EQ(setup_fen("4k3/8/2n5/1P1q1p2/1b2P3/P1N5/r7/R3K3 w - - 0 1"), 0);
    const std::string all = "Nc3d5xQ Pe4d5xQ Ra1a2xR Nc3a2xR Pa3b4xB Pb5c6xN Pe4f5xP";
    const int cases[][2] = {{-2000, 7}, {100, 7}, {101, 6}, {320, 6}, {321, 5},
                            {330, 5},   {331, 4}, {500, 4}, {501, 2}, {30000, 2}};
    for (const auto& [threshold, count] : cases) {
        size_t end = 0;
        for (int i = 0; i < count; ++i) end = all.find(' ', end + 1);
        EXPECT_EQ(listed(7, genere_captures(7, threshold)), all.substr(0, end)) << threshold;
    }
    const std::tuple<const char*, int, const char*> others[] = {
        {"4k3/8/8/3Pp3/8/8/8/4K3 w - e6 0 1", 100, "Pd5e6"},
        {"4k3/8/8/3Pp3/8/8/8/4K3 w - e6 0 1", 101, ""},
        {"4k3/8/8/8/8/8/6p1/4K2R b - - 0 1", 0, "Pg2h1xR=Q Pg2h1xR=N Pg2h1xR=R Pg2h1xR=B"},
        {"4k3/8/8/8/8/2p5/3p4/4K3 w - - 0 1", 0, "Ke1d2xP"},  // attackers are not tested
    };
    for (const auto& [fen, threshold, expected] : others) {
        ASSERT_EQ(setup_fen(fen), 0) << fen;
        EXPECT_EQ(listed(0, genere_captures(0, threshold)), expected) << fen;
    }
}

TEST(MovegenLists, PromotionsPushThenLowerThenHigherFile)
{
    // a7 is blocked but takes on b8; c7 pushes and takes on both sides; b2 is not on its 7th.
    ASSERT_EQ(setup_fen("nr1nk3/P1P3P1/8/8/8/8/1P6/4K1N1 w - - 0 1"), 0);
    EXPECT_EQ(listed(0, genere_promotions(0)),
              "Pa7b8xR=Q Pa7b8xR=N Pa7b8xR=R Pa7b8xR=B Pc7c8=Q Pc7c8=N Pc7c8=R Pc7c8=B "
              "Pc7b8xR=Q Pc7b8xR=N Pc7b8xR=R Pc7b8xR=B Pc7d8xN=Q Pc7d8xN=N Pc7d8xN=R Pc7d8xN=B "
              "Pg7g8=Q Pg7g8=N Pg7g8=R Pg7g8=B");
    EXPECT_EQ(listed(0, genere_promotions_dame(0)),
              "Pa7b8xR=Q Pc7c8=Q Pc7b8xR=Q Pc7d8xN=Q Pg7g8=Q");
}
