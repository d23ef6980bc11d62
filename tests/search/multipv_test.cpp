// Several-line thinks: each line a different legal root move, best first, the move played the
// first line's, and nothing of the passes left behind for the next plain think.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/makemove.h"
#include "movegen/notation.h"
#include "search/limits.h"
#include "think_support.h"

namespace {

SearchLimits depth_limits(int depth, int lines)
{
    SearchLimits l;
    l.mode = TC_FIXED_DEPTH;
    l.min_depth = l.max_depth = depth;
    l.multipv = lines;
    return l;
}

Move think_lines_of(const std::string& fen, const SearchLimits& limits)
{
    if (setup_fen(fen) != 0) return 0;
    clear_caches();
    Move m = 0;
    capture_stdout([&] { m = Reflexion(limits); });
    return m;
}

// Every move of the line is legal where it is played; the position is put back.
bool line_is_legal(const RootLine& line)
{
    bool legal = line.pv_length >= 1 && line.pv[0] == line.move;
    int made = 0;
    while (legal && made < line.pv_length) {
        legal = is_legal_move(line.pv[made]) != 0;
        if (legal) make_move(line.pv[made++]);
    }
    for (int i = made - 1; i >= 0; --i) unmake_move(line.pv[i]);
    return legal;
}

}  // namespace

TEST(MultiPv, ThreeDifferentLegalLinesBestFirst)
{
    ThinkSettings settings;
    for (int i = 0; i < SIGNATURE_COUNT; ++i) {
        const char* fen = SIGNATURE_POSITIONS[i];
        const Move best = think_lines_of(fen, depth_limits(5, 3));
        ASSERT_EQ(root_line_count, 3) << fen;
        std::set<Move> moves;
        for (int k = 0; k < root_line_count; ++k) {
            moves.insert(root_lines[k].move);
            EXPECT_TRUE(line_is_legal(root_lines[k])) << fen << " line " << k + 1;
            if (k > 0) {
                EXPECT_GE(root_lines[k - 1].score, root_lines[k].score) << fen;
            }
        }
        EXPECT_EQ(moves.size(), 3u) << fen;
        EXPECT_EQ(best, root_lines[0].move) << fen;
        EXPECT_EQ(last_score, root_lines[0].score) << fen;
    }
}

TEST(MultiPv, MoreLinesThanMovesGivesOnePerMove)
{
    ThinkSettings settings;
    const char* fen = "7k/8/8/8/8/8/1P6/K7 w - - 0 1";  // a2, b1, b3, b4: four moves
    think_lines_of(fen, depth_limits(3, 256));
    setup_fen(fen);
    EXPECT_EQ(root_line_count, static_cast<int>(legal_moves().size()));
    EXPECT_EQ(root_line_count, 4);
}

// The passes put the root list, its tags and the lines setting back: the same plain think gives
// the same nodes and move before and after a several-line one.
TEST(MultiPv, APlainThinkAfterwardsIsUnchanged)
{
    ThinkSettings settings;
    const char* fen = SIGNATURE_POSITIONS[5];
    const Move before = think_lines_of(fen, depth_limits(5, 1));
    const uint64_t nodes = node_total();
    EXPECT_EQ(root_line_count, 0);
    think_lines_of(fen, depth_limits(5, 4));
    EXPECT_EQ(think_lines_of(fen, depth_limits(5, 1)), before);
    EXPECT_EQ(node_total(), nodes);
    EXPECT_EQ(root_first, 0);
}
