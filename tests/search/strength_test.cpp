// The weaker move choice: never beyond the margin, spread within it, replayable from its seed.
#include <gtest/gtest.h>

#include <map>

#include "search/limits.h"
#include "think_support.h"

namespace {

constexpr Move A = 101, B = 102, C = 103, D = 104;

void set_lines(const int (&scores)[4])
{
    const Move moves[4] = {A, B, C, D};
    for (int i = 0; i < 4; ++i) {
        root_lines[i] = RootLine{};
        root_lines[i].move = moves[i];
        root_lines[i].score = scores[i];
    }
    root_line_count = 4;
}

std::map<Move, int> draws(int margin, int count, uint64_t seed)
{
    skill_margin = margin;
    seed_skill(seed);
    std::map<Move, int> seen;
    for (int i = 0; i < count; ++i) ++seen[weaker_choice(A)];
    return seen;
}

}  // namespace

TEST(Strength, DrawsOnlyWithinTheMargin)
{
    ThinkSettings settings;
    struct Case {
        int margin;
        int scores[4];
        std::map<Move, bool> possible;
    };
    const Case CASES[] = {
        {0, {50, 49, 48, 47}, {{A, true}}},  // no margin: always the best
        {40, {50, 20, -100, -900}, {{A, true}, {B, true}}},
        {200, {50, 20, -100, -900}, {{A, true}, {B, true}, {C, true}}},  // never the queen
        {200, {29990, 100, 90, 80}, {{A, true}}},                        // a mate is kept
    };
    for (const Case& c : CASES) {
        set_lines(c.scores);
        for (const auto& [move, n] : draws(c.margin, 2000, 7)) {
            EXPECT_TRUE(c.possible.count(move)) << "margin " << c.margin << " move " << move;
            EXPECT_GT(n, 0);
        }
        EXPECT_EQ(draws(c.margin, 2000, 7).size(), c.possible.size()) << "margin " << c.margin;
    }
    root_line_count = 0;
}

TEST(Strength, TheSameSeedReplaysTheSameChoices)
{
    ThinkSettings settings;
    set_lines({50, 45, 40, 35});
    EXPECT_EQ(draws(100, 500, 12345), draws(100, 500, 12345));
    EXPECT_NE(draws(100, 500, 12345), draws(100, 500, 999));
    root_line_count = 0;
}

// A weakened think plays one of its lines, and a piece left hanging is never among those drawn.
TEST(Strength, AWeakThinkStillSavesItsQueen)
{
    ThinkSettings settings;
    for (uint64_t seed = 1; seed <= 20; ++seed) {
        SearchLimits l;
        l.mode = TC_FIXED_DEPTH;
        l.min_depth = l.max_depth = 1;
        l.multipv = 4;
        l.skill_margin = 200;
        l.skill_seed = seed;
        ASSERT_EQ(setup_fen("4k3/8/8/3p4/2Q5/8/8/4K3 w - - 0 1"), 0);
        clear_caches();
        Move m = 0;
        capture_stdout([&] { m = Reflexion(l); });
        EXPECT_EQ(move_from(m), square_named("c4")) << seed;
    }
}
