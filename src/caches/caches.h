// The five caches cut from one memory budget: their cell layouts, their blocks, index masks and
// sizes, and the main table's generation. The blocks are taken from the heap once at start-up
// and never freed; a table is replaced only once its new block is obtained, so every mask
// always matches the block it indexes. Nothing here prints or reads a setting.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/thread_state.h"

// Transposition cell, shared by every search thread: two 64-bit words, each written and read
// whole as a relaxed atomic. `data` holds the move (bits 0-22), the bound (bits 23-24) and the
// generation (bits 25-27), the score (bits 32-47) and the depth (bits 48-63, bit 63 marking
// full-width entries); `check` is the position's lock (key words 0 and 1) XOR `data`. A cell
// torn by two threads writing at once pairs one store's check with another's data and so fails
// every lock: it can never be taken for another position's entry.
struct HashCell {
    uint64_t check;
    uint64_t data;
};
static_assert(sizeof(HashCell) == 16);

// A cell's data word unpacked.
struct HashEntry {
    uint32_t packed;
    int16_t score;
    uint16_t depth;
};

constexpr uint64_t pack_entry(const HashEntry& e)
{
    return uint64_t{e.packed} | uint64_t{static_cast<uint16_t>(e.score)} << 32 |
           uint64_t{e.depth} << 48;
}
constexpr HashEntry unpack_entry(uint64_t data)
{
    return HashEntry{static_cast<uint32_t>(data), static_cast<int16_t>(data >> 32),
                     static_cast<uint16_t>(data >> 48)};
}

// Evaluation cache cell: words 0 and 1 of the hash key, value from the side to move's view.
struct EvalCell {
    uint32_t key1;
    uint32_t key2;
    int16_t value;
    int16_t unused;
};
static_assert(sizeof(EvalCell) == 12);

// Pawn cache cell: words 0 and 1 of the pawn key, the two values and the per-file flags
// ([0] Black, [1] White; files 1-8 at indices 0-7).
struct PawnCell {
    uint32_t key1;
    uint32_t key2;
    int16_t structure;
    int16_t placement;  // -30000 while not yet computed
    uint8_t flags[2][8];
};
static_assert(sizeof(PawnCell) == 28);

// King-safety cache cell: two key words, then the shelter results H, O, G, T.
struct KingCell {
    uint32_t key1;
    uint32_t key2;
    uint8_t h, o, g, t;
};
static_assert(sizeof(KingCell) == 12);

// Material cache cell: class flag | mk[0], mk[1], score from White's view.
struct MaterialCell {
    uint32_t check0;
    uint32_t check1;
    int16_t score;
    int16_t unused;
};
static_assert(sizeof(MaterialCell) == 12);

// Which caches threads share. The main table is one block that every search thread reads and
// writes: its cells are built for that (above). The evaluation, pawn, king-safety and material
// caches belong to one thread each: the pawn and king cells are written in parts while the
// evaluation reads them through pointers, and the 12-byte cells store key and value apart, so a
// shared one could hand a thread half of another's entry. Every pointer, mask and size below is
// the calling thread's own view; a helper thread takes the main table from the thread that
// allocated it (use_main_table) and allocates its own other four (allocate_own_caches).
extern QV_THREAD_STATE HashCell* Hash_table;
extern QV_THREAD_STATE EvalCell* Eval_hash_table;
extern QV_THREAD_STATE PawnCell* Pawn_hash_table;
extern QV_THREAD_STATE KingCell* King_hash_table;
extern QV_THREAD_STATE MaterialCell* Materiel_hash_table;

// Index masks and sizes in bytes, as the allocation set them.
extern QV_THREAD_STATE uint32_t hash_mask, eval_hash_mask, pawn_hash_mask, materiel_hash_mask,
    king_hash_mask;
extern QV_THREAD_STATE size_t hash_bytes, eval_hash_bytes, pawn_hash_bytes, materiel_hash_bytes,
    king_hash_bytes;

// The main table's generation (bits 25-27), written into every store: eight generations, then
// round again. Cleared with the tables.
constexpr uint32_t AGE_BITS = 0xe000000;
constexpr uint32_t AGE_STEP = 0x2000000;
extern QV_THREAD_STATE uint32_t hash_age;
void advance_hash_age();

// The five caches in the order the budget is cut among them.
enum CacheTable { CACHE_MAIN, CACHE_EVAL, CACHE_PAWN, CACHE_MATERIEL, CACHE_KING, CACHE_COUNT };

// Each table's name and cell size, in that order.
extern const char* const cache_names[CACHE_COUNT];
extern const uint32_t cache_cell_bytes[CACHE_COUNT];

// What one table gets from the budget: its byte allowance, its cells (a power of two), its size
// in bytes and its index mask.
struct TablePlan {
    uint64_t allowance;
    uint64_t cells;
    uint64_t bytes;
    uint32_t mask;
};
struct CachePlan {
    TablePlan table[CACHE_COUNT];
};

// The split of a budget in bytes among the five tables, without allocating anything.
void plan_caches(uint64_t budget_bytes, CachePlan* plan);

// Called with each table and its plan just before its block is requested.
using CacheObserver = void (*)(int which, const TablePlan& plan);

// Sizes and allocates the five caches, in order, from a budget in bytes: 0 on success, -1 when
// a block could not be obtained (the table last shown to the observer; the tables before it are
// in place, it and those after it keep their old blocks). A repeated call replaces the tables.
int allocate_caches(uint64_t budget_bytes, CacheObserver before_each = nullptr);
// Zeroes every table of the calling thread's view and the generation.
void clear_caches();

// The main table as the calling thread sees it, generation included, and the same view taken by
// another thread: both then probe and store into one block.
struct MainTableView {
    HashCell* table;
    uint32_t mask;
    size_t bytes;
    uint32_t age;
};
MainTableView main_table_view();
void use_main_table(const MainTableView& view);
// A helper thread's own evaluation, pawn, king-safety and material caches, sized as the same
// budget sizes them: 0 on success, -1 when a block could not be obtained.
int allocate_own_caches(uint64_t budget_bytes);
// Frees those four tables of the calling thread (a helper about to end).
void free_own_caches();
// Frees all five tables of the calling thread, the main table included (a thread that allocated
// its own with allocate_caches, about to end).
void free_caches();
