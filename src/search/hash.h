// The five caches cut from one memory budget, and the transposition table's cell format,
// probe and store. The tables are taken from the heap once at start-up and never freed; every
// index is one AND and one OR on a precomputed key word, so no table is ever scanned.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/makemove.h"
#include "core/types.h"

// Transposition cell: locks are words 0 and 1 of `hash_key`; packed holds the move (bits 0-22),
// the bound (bits 23-24) and the age (bits 25-27); depth bit 15 marks full-width entries.
struct HashCell {
    uint32_t lock1;
    uint32_t lock2;
    uint32_t packed;
    int16_t score;
    uint16_t depth;
};
static_assert(sizeof(HashCell) == 16);

// Evaluation cache cell: words 0 and 1 of `hash_key`, value from the side to move's view.
struct EvalCell {
    uint32_t key1;
    uint32_t key2;
    int16_t value;
    int16_t unused;
};
static_assert(sizeof(EvalCell) == 12);

// Pawn cache cell: words 0 and 1 of `pawn_key`, the two values and the per-file flags
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

constexpr uint32_t BOUND_UPPER = 0x800000;
constexpr uint32_t BOUND_LOWER = 0x1000000;
constexpr uint32_t BOUND_EXACT = 0x1800000;
constexpr uint32_t BOUND_BITS = BOUND_EXACT;
constexpr uint32_t AGE_BITS = 0xe000000;
constexpr uint32_t AGE_STEP = 0x2000000;
constexpr uint32_t DEPTH_FULL_WIDTH = 0x8000;  // ORed into the depth of full-width entries
constexpr uint32_t HASH_NO_CELL = 1;           // hash_probe: no cell for this position
constexpr int MATE_BOUND = 29488;              // scores beyond this are mates in the table

extern HashCell* Hash_table;
extern EvalCell* Eval_hash_table;
extern PawnCell* Pawn_hash_table;
extern KingCell* King_hash_table;
extern MaterialCell* Materiel_hash_table;

// Index masks and sizes in bytes, as the sizing routines set them.
extern uint32_t hash_mask, eval_hash_mask, pawn_hash_mask, materiel_hash_mask, king_hash_mask;
extern size_t hash_bytes, eval_hash_bytes, pawn_hash_bytes, materiel_hash_bytes, king_hash_bytes;

extern uint32_t hash_age;  // bits 25-27, written into every store

// Where the main and evaluation caches keep a position, from its `hash_key` and side to move
// (`trait`): every probe and every early fetch of a cell computes its index here, so a fetch
// always names the cell probed later.
inline uint32_t main_bucket_index(const Key96& hash_key, int side)
{
    return (hash_key.w[2] & hash_mask) | static_cast<uint32_t>(side + 1);
}
inline uint32_t eval_cell_index(const Key96& hash_key, int side)
{
    return (hash_key.w[2] & eval_hash_mask) | static_cast<uint32_t>(colour_index(side));
}

// Counters for the search statistics (cleared by the think driver).
extern uint32_t hash_probes, hash_hits, hash_stores, hash_collisions;

// The five caches in the order the budget is cut among them.
enum CacheTable { CACHE_MAIN, CACHE_EVAL, CACHE_PAWN, CACHE_MATERIEL, CACHE_KING, CACHE_COUNT };

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

// Sizes and allocates all five caches from a budget in bytes; 0 on success, -1 after printing
// the message of the table that could not be obtained. A repeated call replaces the tables.
int allocate_caches(uint64_t budget_bytes);
void clear_caches();

// One of HASH_NO_CELL, 0, BOUND_UPPER, BOUND_LOWER, BOUND_EXACT; on all but HASH_NO_CELL the
// stored move and the height-corrected score are written out.
uint32_t hash_probe(Move* move, int* score, int height, uint32_t depth_field);
void hash_store(Move move, int score, int height, uint32_t depth_field, uint32_t bound);
// The cell of the current position (either cell of its bucket), or null; probes accept cells
// of any age.
HashCell* hash_find();
// The move stored for the current position, 0 when there is none.
Move hash_best_move();
// A new generation for the stores of the next search (eight generations, then round again).
void advance_hash_age();

// Between begin_move and finish_move: starts loading the main bucket and the evaluation cell of
// the position to come, from the next record's key, so that the loads overlap the rest of the
// move's work. (Fetching the pawn and king-safety cells too gained nothing clear in side-by-side
// runs: those tables are an eighth of the size, and the cells cost two more key computations.)
void prefetch_next_cells();

// make_move(m) for a search that probes the position after m: its cells are fetched early.
inline void make_move_prefetching(Move m)
{
    begin_move(m);
    prefetch_next_cells();
    finish_move(m);
}
