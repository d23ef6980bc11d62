// The transposition table's probe and store over the main cache: the bound kinds, the mate
// correction by height and the replacement rules. Every index is one AND and one OR on a
// precomputed key word, so no table is ever scanned.
#pragma once

#include <atomic>
#include <cstdint>

#include "caches/caches.h"
#include "core/makemove.h"
#include "core/types.h"
#include "platform/thread_state.h"
#include "search/search.h"

constexpr uint32_t BOUND_UPPER = 0x800000;
constexpr uint32_t BOUND_LOWER = 0x1000000;
constexpr uint32_t BOUND_EXACT = 0x1800000;
constexpr uint32_t BOUND_BITS = BOUND_EXACT;
constexpr uint32_t DEPTH_FULL_WIDTH = 0x8000;  // ORed into the depth of full-width entries
constexpr uint32_t HASH_NO_CELL = 1;           // hash_probe: no cell for this position
constexpr int MATE_BOUND = 29488;              // scores beyond this are mates in the table

// Where the main table keeps a position, from its `hash_key` and side to move (`trait`): every
// probe and every early fetch computes its index here, so a fetch always names the cell probed.
inline uint32_t main_bucket_index(const Key96& hash_key, int side)
{
    return (hash_key.w[2] & hash_mask) | static_cast<uint32_t>(side + 1);
}

// Counters for the search statistics (cleared by the think driver).
extern QV_THREAD_STATE uint32_t hash_probes, hash_hits, hash_stores, hash_collisions;

void hash_store(Move move, int score, int height, uint32_t depth_field, uint32_t bound);

// Relaxed atomic access to the main table's words: other threads write the same cells, and a
// word is always read and written whole.
inline uint64_t load_word(const uint64_t& w)
{
    return std::atomic_ref<uint64_t>(const_cast<uint64_t&>(w)).load(std::memory_order_relaxed);
}
inline void store_word(uint64_t& w, uint64_t v)
{
    std::atomic_ref<uint64_t>(w).store(v, std::memory_order_relaxed);
}

// The lock of the current position: key words 0 and 1.
inline uint64_t position_lock()
{
    const Key96& k = pos()->hash_key;
    return uint64_t{k.w[0]} | uint64_t{k.w[1]} << 32;
}

// The bucket of the current position, and whether a cell holds it (its entry then in *out).
// Inline with the probe below, so that a search node's probe keeps its answers in registers.
inline HashCell* bucket_of_position()
{
    return &Hash_table[main_bucket_index(pos()->hash_key, trait)];
}
inline bool cell_holds(const HashCell& cell, uint64_t lock, HashEntry* out)
{
    const uint64_t data = load_word(cell.data);
    if ((load_word(cell.check) ^ data) != lock) return false;
    *out = unpack_entry(data);
    return true;
}
inline void write_entry(HashCell& cell, uint64_t lock, const HashEntry& e)
{
    const uint64_t data = pack_entry(e);
    store_word(cell.data, data);
    store_word(cell.check, lock ^ data);
}

// The cell of the current position (either cell of its bucket) with its entry in *out, or
// null; probes accept cells of any age.
inline HashCell* hash_find(HashEntry* out)
{
    HashCell* bucket = bucket_of_position();
    const uint64_t lock = position_lock();
    if (cell_holds(bucket[0], lock, out)) return &bucket[0];
    if (cell_holds(bucket[1], lock, out)) return &bucket[1];
    return nullptr;
}

// One of HASH_NO_CELL, 0, BOUND_UPPER, BOUND_LOWER, BOUND_EXACT; on all but HASH_NO_CELL the
// stored move and the height-corrected score are written out.
inline uint32_t hash_probe(Move* move, int* score, int height, uint32_t depth_field)
{
    ++hash_probes;
    HashEntry cell;
    if (hash_find(&cell) == nullptr) return HASH_NO_CELL;
    ++hash_hits;
    *move = cell.packed & MOVE_MASK;
    const uint32_t bound = cell.packed & BOUND_BITS;
    int s = cell.score;
    *score = s;
    if (s > MATE_BOUND) {
        s -= height;
        *score = s;
        // A mate found within the stored depth is exact from any height.
        if (bound == BOUND_EXACT && int(cell.depth & 0x7fff) + s >= 29999 - height)
            return BOUND_EXACT;
        if (bound & BOUND_LOWER) return BOUND_LOWER;
    } else if (s < -MATE_BOUND) {
        *score = s + height;
        if (bound & BOUND_UPPER) return BOUND_UPPER;
    }
    if (cell.depth >= depth_field) return bound;
    if (depth_field == ONE_PLY) return (bound & BOUND_LOWER) ? BOUND_LOWER : 0;
    if (depth_field == TWO_PLIES && cell.depth == ONE_PLY && (bound & BOUND_UPPER))
        return BOUND_UPPER;
    return 0;
}
// The move stored for the current position, 0 when there is none.
Move hash_best_move();
// Empties the current position's cell, if it has one.
void hash_forget_position();
// True when a cell holds the current position.
inline bool hash_holds_position()
{
    HashEntry e;
    return hash_find(&e) != nullptr;
}
// The current position's entry as a think starts from it, or false when none: a cell found gets
// the current generation, so the entry is kept as this search's own.
bool hash_take_root_entry(HashEntry* out);
// Per mille of a sample of the main table's cells written in the current generation.
int hash_permille_used();

// Between begin_move and finish_move: starts loading the main bucket, the evaluation cell, the
// pawn cell and both kings' safety cells of the position to come, from the next record's keys,
// so that the loads overlap the rest of the move's work. Each index comes from the helper its
// probe uses, so a fetch always names the cell probed.
void prefetch_next_cells();

// make_move(m) for a search that probes the position after m: its cells are fetched early.
inline void make_move_prefetching(Move m)
{
    begin_move(m);
    prefetch_next_cells();
    finish_move(m);
}
