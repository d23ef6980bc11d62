// Searches on threads of their own: each thread's search state is its own, so two thinks side
// by side give exactly what each gives alone, and a position record handed from one thread to
// another is as sound there as where it was saved. A think with helper threads answers a legal
// move, counts their nodes, and the helpers live exactly as long as their count is set.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include <filesystem>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "caches/caches.h"
#include "core/board.h"
#include "core/makemove.h"
#include "core/position_copy.h"
#include "core/setup.h"
#include "core/verify.h"
#include "search/strength.h"
#include "search/threads.h"
#include "think_support.h"

namespace {

// Skipped in a build whose search state is one set of globals; thinks print nothing.
class SearchThreads : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifndef QUARVELIN_THREAD_STATE
        GTEST_SKIP() << "built with one search thread (QUARVELIN_THREAD_STATE off)";
#endif
        show_thinking = 0;
    }
    ThinkSettings settings;
};

struct Outcome {
    Move move = 0;
    uint32_t nodes = 0;
    bool operator==(const Outcome&) const = default;
};

// A fixed-depth think of a position handed over by the main thread, on the calling thread with
// caches of its own (set-up itself writes the game's state, which only the main thread owns).
Outcome think_alone(const PositionCopy& position)
{
    if (allocate_caches(uint64_t{4} << 20) != 0) return {};
    load_position(position);
    Outcome out;
    out.move = Reflexion();
    out.nodes = node_total();
    free_caches();
    return out;
}

TEST_F(SearchThreads, TwoThinksSideBySideCountAsEachAlone)
{
    ThinkSettings::fixed_depth(6);
    const std::string fens[2] = {SIGNATURE_POSITIONS[0], SIGNATURE_POSITIONS[3]};
    std::vector<PositionCopy> positions(2);
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(setup_fen(fens[i]), 0);
        save_position(&positions[i]);
    }
    Outcome alone[2], together[2];
    for (int i = 0; i < 2; ++i)
        std::thread([&, i] { alone[i] = think_alone(positions[i]); }).join();
    std::thread first([&] { together[0] = think_alone(positions[0]); });
    std::thread second([&] { together[1] = think_alone(positions[1]); });
    first.join();
    second.join();
    for (int i = 0; i < 2; ++i) {
        EXPECT_NE(alone[i].move, 0u) << fens[i];
        EXPECT_GT(alone[i].nodes, 1000u) << fens[i];
        EXPECT_EQ(together[i], alone[i]) << fens[i];
    }
}

// The legal moves of the current position, each made and unmade with the record checked.
std::vector<Move> checked_moves(bool* consistent)
{
    *consistent = position_consistent();
    const std::vector<Move> moves = legal_moves();
    for (Move m : moves) {
        make_move(m);
        *consistent = *consistent && position_consistent();
        unmake_move(m);
    }
    return moves;
}

TEST_F(SearchThreads, APositionSavedOnOneThreadLoadsOnAnother)
{
    setup_and_play("e2e4 d7d5 e4d5 g8f6 f1b5 c7c6 d5c6 d8a5");
    PositionCopy* copy = new PositionCopy;
    save_position(copy);
    bool here = false, there = false;
    const std::vector<Move> expected = checked_moves(&here);
    std::vector<Move> moves;
    int32_t copied_ply = -1;
    std::thread([&] {
        load_position(*copy);
        copied_ply = ply;
        moves = checked_moves(&there);
    }).join();
    delete copy;
    EXPECT_TRUE(here);
    EXPECT_TRUE(there);
    EXPECT_EQ(copied_ply, ply);
    EXPECT_EQ(moves, expected);
}

// Threads of this process, as the kernel lists them.
long thread_count()
{
    using std::filesystem::directory_iterator;
    return std::distance(directory_iterator("/proc/self/task"), directory_iterator{});
}

// Back to one search thread at the end of a test, whatever happened in it.
struct OneThreadAfter {
    ~OneThreadAfter() { set_search_threads(1, 0); }
};

TEST_F(SearchThreads, HelpersLeaveALegalMoveAScoreAndTheirNodesCounted)
{
    OneThreadAfter one;
    for (int threads : {2, 4}) {
        ASSERT_EQ(set_search_threads(threads, uint64_t{4} << 20), threads);
        // A helper told to stop before it began has nothing to add: count over the positions.
        uint64_t helpers = 0;
        for (int d : {1, 5}) {
            ThinkSettings::fixed_depth(d);
            for (const char* fen : SIGNATURE_POSITIONS) {
                const Move m = think(fen);
                const std::vector<Move> moves = legal_moves();
                EXPECT_NE(std::find(moves.begin(), moves.end(), m), moves.end()) << fen;
                EXPECT_LT(std::abs(last_score), MAX_SCORE) << fen;
                helpers += node_total() - own_node_total();
            }
        }
        EXPECT_GT(helpers, 0u) << threads;
    }
    // A weakened think searches alone: helpers' deeper results would undo its depth limit. Its
    // node count is its own, not the last think's helpers' as well.
    // (The think before it usually has helper nodes; a loaded machine may start them too late.)
    ASSERT_EQ(set_search_threads(2, uint64_t{4} << 20), 2);
    ThinkSettings::fixed_depth(6);
    think(SIGNATURE_POSITIONS[0]);
    ThinkSettings::fixed_depth(3);
    skill_margin = 100;
    think(SIGNATURE_POSITIONS[0]);
    EXPECT_EQ(node_total(), own_node_total());
}

TEST_F(SearchThreads, HelpersAreMadeOnceAndEndWithTheirCount)
{
    ThinkSettings::fixed_depth(3);
    OneThreadAfter one;
    // Counted from the first helpers on: a sanitizer's runtime may start a thread of its own.
    ASSERT_EQ(set_search_threads(3, uint64_t{4} << 20), 3);
    const long with_two = thread_count();
    for (int i = 0; i < 20; ++i) think(SIGNATURE_POSITIONS[i % 2]);
    EXPECT_EQ(thread_count(), with_two);
    EXPECT_EQ(set_search_threads(2, uint64_t{4} << 20), 2);
    EXPECT_EQ(thread_count(), with_two - 1);
    EXPECT_EQ(set_search_threads(1, 0), 1);
    EXPECT_EQ(thread_count(), with_two - 2);
    EXPECT_EQ(search_threads(), 1);
}

}  // namespace
