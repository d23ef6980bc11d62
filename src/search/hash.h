// The transposition table's probe and store over the main cache: the bound kinds, the mate
// correction by height and the replacement rules. Every index is one AND and one OR on a
// precomputed key word, so no table is ever scanned.
#pragma once

#include <cstdint>

#include "caches/caches.h"
#include "core/makemove.h"
#include "core/types.h"

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
extern uint32_t hash_probes, hash_hits, hash_stores, hash_collisions;

// One of HASH_NO_CELL, 0, BOUND_UPPER, BOUND_LOWER, BOUND_EXACT; on all but HASH_NO_CELL the
// stored move and the height-corrected score are written out.
uint32_t hash_probe(Move* move, int* score, int height, uint32_t depth_field);
void hash_store(Move move, int score, int height, uint32_t depth_field, uint32_t bound);
// The cell of the current position (either cell of its bucket), or null; probes accept cells
// of any age.
HashCell* hash_find();
// The move stored for the current position, 0 when there is none.
Move hash_best_move();

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
