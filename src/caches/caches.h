// The five caches cut from one memory budget: their cell layouts, their blocks, index masks and
// sizes, and the main table's generation. The blocks are taken from the heap once at start-up
// and never freed; a table is replaced only once its new block is obtained, so every mask
// always matches the block it indexes. Nothing here prints or reads a setting.
#pragma once

#include <cstddef>
#include <cstdint>

// Transposition cell: locks are words 0 and 1 of the position's hash key; packed holds the move
// (bits 0-22), the bound (bits 23-24) and the generation (bits 25-27); depth bit 15 marks
// full-width entries.
struct HashCell {
    uint32_t lock1;
    uint32_t lock2;
    uint32_t packed;
    int16_t score;
    uint16_t depth;
};
static_assert(sizeof(HashCell) == 16);

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

extern HashCell* Hash_table;
extern EvalCell* Eval_hash_table;
extern PawnCell* Pawn_hash_table;
extern KingCell* King_hash_table;
extern MaterialCell* Materiel_hash_table;

// Index masks and sizes in bytes, as the allocation set them.
extern uint32_t hash_mask, eval_hash_mask, pawn_hash_mask, materiel_hash_mask, king_hash_mask;
extern size_t hash_bytes, eval_hash_bytes, pawn_hash_bytes, materiel_hash_bytes, king_hash_bytes;

// The main table's generation (bits 25-27), written into every store: eight generations, then
// round again. Cleared with the tables.
constexpr uint32_t AGE_BITS = 0xe000000;
constexpr uint32_t AGE_STEP = 0x2000000;
extern uint32_t hash_age;
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
// Zeroes every table and the generation.
void clear_caches();
