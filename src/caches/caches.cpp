// The five caches: how one budget is cut among them, their allocation and clearing, and the
// main table's generation. Each table's mask always matches the block it indexes: a table is
// replaced only once its new block has been obtained, so a failed request leaves the old table
// and mask in use.
#include "caches/caches.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "platform/thread_state.h"

QV_THREAD_STATE HashCell* Hash_table;
QV_THREAD_STATE EvalCell* Eval_hash_table;
QV_THREAD_STATE PawnCell* Pawn_hash_table;
QV_THREAD_STATE KingCell* King_hash_table;
QV_THREAD_STATE MaterialCell* Materiel_hash_table;

QV_THREAD_STATE uint32_t hash_mask, eval_hash_mask, pawn_hash_mask, materiel_hash_mask,
    king_hash_mask;
QV_THREAD_STATE size_t hash_bytes, eval_hash_bytes, pawn_hash_bytes, materiel_hash_bytes,
    king_hash_bytes;

QV_THREAD_STATE uint32_t hash_age;

const char* const cache_names[CACHE_COUNT] = {"Hash_table", "Eval_hash_table", "Pawn_hash_table",
                                              "Materiel_hash_table", "King_hash_table"};
const uint32_t cache_cell_bytes[CACHE_COUNT] = {
    sizeof(HashCell), sizeof(EvalCell), sizeof(PawnCell), sizeof(MaterialCell), sizeof(KingCell)};

namespace {

// The smallest number of cells of each table, and what its mask leaves out: mask = cells -
// offset keeps the low bits free for the cells of a bucket.
constexpr uint64_t MIN_CELLS[CACHE_COUNT] = {256, 256, 256, 64, 256};
constexpr uint32_t MASK_OFFSET[CACHE_COUNT] = {4, 2, 1, 1, 2};

constexpr uint64_t MATERIEL_CAP = 3072;
// Indexes are 32-bit key words: more cells than that could never be reached, and the mask
// must fit in 32 bits.
constexpr uint64_t MAX_CELLS = uint64_t{1} << 32;

constexpr uint64_t largest_power_of_two_at_most(uint64_t n)
{
    uint64_t p = 1;
    while (p <= n / 2) p <<= 1;
    return p;
}

TablePlan plan_table(int which, uint64_t allowance)
{
    const uint64_t wanted = std::max(allowance / cache_cell_bytes[which], MIN_CELLS[which]);
    TablePlan t{};
    t.allowance = allowance;
    t.cells = std::min(largest_power_of_two_at_most(wanted), MAX_CELLS);
    t.bytes = t.cells * cache_cell_bytes[which];
    t.mask = static_cast<uint32_t>(t.cells - MASK_OFFSET[which]);
    return t;
}

// The rest after a table took its size; nothing is left when it took more than remained.
constexpr uint64_t after(uint64_t rest, const TablePlan& t)
{
    return rest > t.bytes ? rest - t.bytes : 0;
}

// Where the calling thread keeps one table's block, mask and size.
struct TableSlots {
    void** block;
    uint32_t* mask;
    size_t* bytes;
};

TableSlots slots_of(int which)
{
    const TableSlots slots[CACHE_COUNT] = {
        {reinterpret_cast<void**>(&Hash_table), &hash_mask, &hash_bytes},
        {reinterpret_cast<void**>(&Eval_hash_table), &eval_hash_mask, &eval_hash_bytes},
        {reinterpret_cast<void**>(&Pawn_hash_table), &pawn_hash_mask, &pawn_hash_bytes},
        {reinterpret_cast<void**>(&Materiel_hash_table), &materiel_hash_mask, &materiel_hash_bytes},
        {reinterpret_cast<void**>(&King_hash_table), &king_hash_mask, &king_hash_bytes}};
    return slots[which];
}

void install_table(int which, void* block, const TablePlan& t)
{
    const TableSlots slots = slots_of(which);
    std::free(*slots.block);
    *slots.block = block;
    *slots.mask = t.mask;
    *slots.bytes = static_cast<size_t>(t.bytes);
}

// A zeroed block for a table. One of a huge page or more is aligned on huge pages and advised
// to use them: a probe into a large table then misses the page-table cache far less often.
// Where no aligned block can be had, the plain heap serves (freed the same way).
void* obtain_zeroed_block(uint64_t bytes)
{
    if (bytes >= HUGE_PAGE_BYTES) {
        const uint64_t whole = (bytes + HUGE_PAGE_BYTES - 1) / HUGE_PAGE_BYTES * HUGE_PAGE_BYTES;
        void* block = std::aligned_alloc(HUGE_PAGE_BYTES, static_cast<size_t>(whole));
        if (block != nullptr) {
            advise_huge_pages(block, whole);
            std::memset(block, 0, static_cast<size_t>(bytes));
            return block;
        }
    }
    return std::calloc(static_cast<size_t>(bytes), 1);
}

// Obtains one table's zeroed block and installs it; false when the heap refused it.
bool obtain_table(int which, const TablePlan& t)
{
    if (t.bytes > SIZE_MAX) return false;
    void* block = obtain_zeroed_block(t.bytes);
    if (block == nullptr) return false;
    install_table(which, block, t);
    return true;
}

}  // namespace

void plan_caches(uint64_t budget_bytes, CachePlan* plan)
{
    uint64_t rest = budget_bytes;
    TablePlan* t = plan->table;
    t[CACHE_MAIN] = plan_table(CACHE_MAIN, rest / 20 * 13);
    rest = after(rest, t[CACHE_MAIN]);
    t[CACHE_EVAL] = plan_table(CACHE_EVAL, rest / 20 * 19);
    rest = after(rest, t[CACHE_EVAL]);
    t[CACHE_PAWN] = plan_table(CACHE_PAWN, rest * 2 / 3);
    rest = after(rest, t[CACHE_PAWN]);
    t[CACHE_MATERIEL] = plan_table(CACHE_MATERIEL, std::min(rest / 3, MATERIEL_CAP));
    rest = after(rest, t[CACHE_MATERIEL]);
    t[CACHE_KING] = plan_table(CACHE_KING, rest);
}

int allocate_caches(uint64_t budget_bytes, CacheObserver before_each)
{
    CachePlan plan;
    plan_caches(budget_bytes, &plan);
    for (int which = 0; which < CACHE_COUNT; ++which) {
        if (before_each != nullptr) before_each(which, plan.table[which]);
        if (!obtain_table(which, plan.table[which])) return -1;
    }
    return 0;
}

void clear_caches()
{
    for (int which = 0; which < CACHE_COUNT; ++which) {
        const TableSlots slots = slots_of(which);
        if (*slots.block != nullptr) std::memset(*slots.block, 0, *slots.bytes);
    }
    hash_age = 0;
}

MainTableView main_table_view()
{
    return MainTableView{Hash_table, hash_mask, hash_bytes, hash_age};
}

void use_main_table(const MainTableView& view)
{
    Hash_table = view.table;
    hash_mask = view.mask;
    hash_bytes = view.bytes;
    hash_age = view.age;
}

int allocate_own_caches(uint64_t budget_bytes)
{
    CachePlan plan;
    plan_caches(budget_bytes, &plan);
    for (int which = CACHE_MAIN + 1; which < CACHE_COUNT; ++which)
        if (!obtain_table(which, plan.table[which])) return -1;
    return 0;
}

namespace {

void free_tables(int first)
{
    for (int which = first; which < CACHE_COUNT; ++which) {
        const TableSlots slots = slots_of(which);
        std::free(*slots.block);
        *slots.block = nullptr;
        *slots.mask = 0;
        *slots.bytes = 0;
    }
}

}  // namespace

void free_own_caches()
{
    free_tables(CACHE_MAIN + 1);
}

void free_caches()
{
    free_tables(CACHE_MAIN);
}

void advance_hash_age()
{
    hash_age = (hash_age + AGE_STEP) & AGE_BITS;
}
