// The cache split, the failure to obtain the memory, and the transposition table's probe and
// store rules, driven by key words and side to move written straight into the current ply record.
#include "search/hash.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <tuple>

#include "core/board.h"
#include "frontend/startup.h"
#include "test_support.h"

namespace {

constexpr uint64_t MB = uint64_t{1} << 20;
constexpr uint32_t FULL = DEPTH_FULL_WIDTH;
const Move M1 = make_move_word(SQ_G1, 63, KNIGHT);
const Move M2 = make_move_word(52, 54, PAWN);

// cells, bytes and mask of each table, in the order the budget is cut.
void expect_plan(uint64_t budget, const std::array<uint64_t, 15>& want)
{
    CachePlan p;
    plan_caches(budget, &p);
    for (int t = 0; t < CACHE_COUNT; ++t) {
        EXPECT_EQ(p.table[t].cells, want[3 * t]) << budget << " table " << t;
        EXPECT_EQ(p.table[t].bytes, want[3 * t + 1]) << budget << " table " << t;
        EXPECT_EQ(p.table[t].mask, want[3 * t + 2]) << budget << " table " << t;
    }
}

TEST(HashPlan, SplitsBudgetsInOrderWithoutOverflow)
{
    // 4096 MB does not fit 32 bits: every step must still be exact. (The start-up report shows
    // the split of the default budget.)
    expect_plan(4096 * MB, {1u << 27, 16ull << 27, (1u << 27) - 4, 1u << 27, 12ull << 27,
                            (1u << 27) - 2, 1u << 23, 28ull << 23, (1u << 23) - 1, 256, 3072, 255,
                            1u << 24, 12ull << 24, (1u << 24) - 2});
    // Nothing asked: every table keeps its smallest size.
    expect_plan(0, {256, 4096, 252, 256, 3072, 254, 256, 7168, 255, 64, 768, 63, 256, 3072, 254});
    // Beyond what a 32-bit key word can index, the main table stops at 2^32 cells.
    CachePlan p;
    plan_caches(uint64_t{1} << 50, &p);
    EXPECT_EQ(p.table[CACHE_MAIN].mask, 0xfffffffcu);
}

// Runs in a child: with the address space capped 256 MB above its current size, the main table
// cannot be obtained.
[[noreturn]] void allocate_beyond_the_address_limit()
{
    dup2(2, 1);  // the message goes to stdout; death tests read stderr
    std::ifstream statm("/proc/self/statm");
    rlim_t pages = 0;
    statm >> pages;
    const rlim_t limit = pages * sysconf(_SC_PAGESIZE) + 256 * MB;
    const rlimit rl{limit, limit};
    setrlimit(RLIMIT_AS, &rl);
    const int result = open_caches(8192 * MB);
    std::fflush(stdout);
    std::_Exit(result == -1 ? 0 : 1);
}

TEST(HashAllocationDeathTest, RefusedMemoryFailsWithTheTablesMessage)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator does not return null under an address limit";
#endif
    engine_init_for_tests();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(allocate_beyond_the_address_limit(), testing::ExitedWithCode(0),
                "Erreur lors de l'initialisation de la table de hachage principale");
}

// Each test starts from empty tables of age 0 and a known key with White to move; the touched
// ply record and side to move are put back afterwards.
class HashTable : public testing::Test {
protected:
    void SetUp() override
    {
        engine_init_for_tests();
        saved_state = *pos();
        saved_trait = trait;
        clear_caches();
        key(0x1234, 0x9abcdef0);
        trait = 1;
    }
    void TearDown() override
    {
        *pos() = saved_state;
        trait = saved_trait;
        clear_caches();
    }
    static void key(uint32_t w0, uint32_t w2) { pos()->hash_key = Key96{{w0, 0x5678, w2}}; }
    static std::tuple<uint32_t, int, uint32_t> fields(const HashEntry& e)
    {
        return {e.packed, e.score, e.depth};
    }
    static HashEntry entry(int i) { return unpack_entry(cell(i).data); }
    static uint32_t lock1(int i) { return static_cast<uint32_t>(cell(i).check ^ cell(i).data); }
    static HashCell& cell(int i)
    {
        return Hash_table[((pos()->hash_key.w[2] & hash_mask) | uint32_t(trait + 1)) + i];
    }
    uint32_t probe(uint32_t depth_field, int height = 0)
    {
        move = 0xdead, score = -1;
        return hash_probe(&move, &score, height, depth_field);
    }
    Etat saved_state;
    int32_t saved_trait = 1;
    Move move = 0;
    int score = 0;
};

TEST_F(HashTable, SidesUseSeparateBucketsAndClearingEmptiesAll)
{
    hash_store(M1, 25, 0, FULL | 120, BOUND_EXACT);
    HashEntry found;
    EXPECT_EQ(hash_find(&found), &cell(0));
    EXPECT_EQ(std::tuple(probe(FULL | 120), move, score, hash_best_move()),
              std::tuple(BOUND_EXACT, M1, 25, M1));
    trait = -1;
    EXPECT_EQ(probe(0), HASH_NO_CELL);
    EXPECT_EQ(move, 0xdeadu);  // nothing written on a miss
    EXPECT_EQ(hash_best_move(), NULL_MOVE);

    trait = 1;
    advance_hash_age();
    Eval_hash_table[eval_hash_mask].key1 = Pawn_hash_table[pawn_hash_mask].key1 = 5;
    King_hash_table[king_hash_mask].key1 = Materiel_hash_table[materiel_hash_mask].check0 = 5;
    clear_caches();
    EXPECT_EQ(hash_age, 0u);
    EXPECT_EQ(probe(0), HASH_NO_CELL);
    EXPECT_EQ(Eval_hash_table[eval_hash_mask].key1 + Pawn_hash_table[pawn_hash_mask].key1 +
                  King_hash_table[king_hash_mask].key1 +
                  Materiel_hash_table[materiel_hash_mask].check0,
              0u);
}

// Mates count from the stored position. A mate at the next ply stored at height 3 (29996) is
// stored as 29999, exact, and read at height 5 as 29994. A stored exact mate answers exact only
// when the stored depth reaches it: 29990 read at height 2 (29988) needs depth + 29988 >= 29997,
// else it is a lower bound.
TEST_F(HashTable, MateScoresCountFromTheStoredPosition)
{
    hash_store(M1, 29999 - 3, 3, FULL | 60, BOUND_LOWER);
    EXPECT_EQ(entry(0).score, 29999);
    EXPECT_EQ(probe(FULL | 600, 5), BOUND_EXACT);
    EXPECT_EQ(score, 29994);
    for (uint32_t depth : {9u, 8u}) {
        key(depth, 13);
        hash_store(M1, 29990, 0, FULL | depth, BOUND_EXACT);
        EXPECT_EQ(probe(FULL | 600, 2), depth == 9 ? BOUND_EXACT : BOUND_LOWER) << depth;
        EXPECT_EQ(score, 29988);
    }
    key(7, 9);
    hash_store(M2, -29990, 4, FULL | 60, BOUND_UPPER);
    EXPECT_EQ(entry(0).score, -29994);
    EXPECT_EQ(probe(FULL | 600, 2), BOUND_UPPER);
    EXPECT_EQ(score, -29992);
}

TEST_F(HashTable, StoresOverTheSamePosition)
{
    hash_store(M1, 50, 0, FULL | 600, BOUND_LOWER);
    const HashCell before = cell(0);
    hash_store(M2, 10, 0, FULL | 300, BOUND_UPPER);  // shallower upper bound: ignored
    EXPECT_EQ(0, std::memcmp(&before, &cell(0), sizeof before));
    hash_store(M2, 10, 0, FULL | 900, BOUND_UPPER);  // deeper: replaces, keeps the move
    EXPECT_EQ(fields(entry(0)), std::tuple(M1 | BOUND_UPPER, 10, FULL | 900));
    hash_store(M2, 5, 0, FULL | 900, BOUND_UPPER);  // over an upper bound the move changes
    EXPECT_EQ(entry(0).packed, M2 | BOUND_UPPER);

    advance_hash_age();  // shallower non-upper store: new move and age, old bound and score
    hash_store(M1, 70, 0, FULL | 300, BOUND_LOWER);
    EXPECT_EQ(fields(entry(0)), std::tuple(M1 | BOUND_UPPER | AGE_STEP, 5, FULL | 900));
    hash_store(M2, 29990, 0, FULL | 300, BOUND_EXACT);  // a better mate wins the score
    EXPECT_EQ(fields(entry(0)), std::tuple(M2 | BOUND_LOWER | AGE_STEP, 29990, FULL | 900));
}

TEST_F(HashTable, ReplacementByDepthAndAge)
{
    hash_store(M1, 11, 0, FULL | 600, BOUND_EXACT);
    key(0x4321, 0x9abcdef0);  // same bucket, another position, shallower
    hash_store(M2, 22, 0, FULL | 300, BOUND_LOWER);
    EXPECT_EQ(lock1(0) + lock1(1) * 0x10000, 0x1234u + 0x43210000u);
    EXPECT_EQ(probe(FULL | 300), BOUND_LOWER);  // found in cell 1
    EXPECT_EQ(score, 22);

    advance_hash_age();  // cell 0 now belongs to an earlier search and yields its place
    key(0x7777, 0x9abcdef0);
    hash_store(M1, 33, 0, FULL | 60, BOUND_UPPER);
    EXPECT_EQ(entry(0).packed, M1 | BOUND_UPPER | AGE_STEP);
    EXPECT_EQ(lock1(1), 0x1234u);

    key(0x8888, 0x9abcdef0);  // deeper than the current cell 0: takes its place
    hash_store(M2, 44, 0, FULL | 120, BOUND_EXACT);
    EXPECT_EQ(lock1(0) + lock1(1) * 0x10000, 0x8888u + 0x77770000u);
}

TEST_F(HashTable, QuiescenceDepthsAndTheFullWidthMark)
{
    hash_store(M1, 40, 0, 0, BOUND_LOWER);
    EXPECT_EQ(probe(60), BOUND_LOWER);
    EXPECT_EQ(probe(120), 0u);
    key(1, 3);
    hash_store(M1, 40, 0, 60, BOUND_UPPER);
    EXPECT_EQ(probe(120), BOUND_UPPER);
    EXPECT_EQ(probe(180), 0u);
    key(1, 5);
    hash_store(M1, 40, 0, 0, BOUND_UPPER);
    EXPECT_EQ(probe(60) + probe(120), 0u);  // only a cell of depth exactly 60 serves 120

    key(4, 9);
    hash_store(M2, -15, 0, 600, BOUND_EXACT);  // quiescence entry, however deep
    EXPECT_EQ(probe(FULL | 60), 0u);
    EXPECT_EQ(move, M2);
    hash_store(M2, -15, 0, FULL, BOUND_EXACT);  // any full-width entry serves quiescence
    EXPECT_EQ(probe(120), BOUND_EXACT);
    pos()->hash_key = Key96{{0, 0, 42}};  // zero locks meet an empty cell: a hit, no bound
    EXPECT_EQ(probe(0), 0u);
    EXPECT_EQ(move + score, 0);
}

}  // namespace
