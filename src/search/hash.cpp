// The transposition table's store and the early fetch (the probe is inline in hash.h). A bucket
// is two cells of the side to move; cell 0 holds the deeper or newer entry, and a mate score is
// stored relative to the node, so it reads the same from any height.
#include "search/hash.h"

#include <cstdint>

#include "core/board.h"
#include "eval/evaluation.h"
#include "eval/kingsafety.h"
#include "eval/pawns.h"
#include "platform/platform.h"
#include "search/search.h"

uint32_t hash_probes, hash_hits, hash_stores, hash_collisions;

namespace {

// Both lines of a cell that may straddle two.
template <typename Cell>
void prefetch_cell(const Cell* cell)
{
    prefetch_line(cell);
    prefetch_line(reinterpret_cast<const char*>(cell) + sizeof(Cell) - 1);
}

void write_cell(HashCell* cell, Move move, int score, uint32_t depth_field, uint32_t bound)
{
    cell->lock1 = pos()->hash_key.w[0];
    cell->lock2 = pos()->hash_key.w[1];
    cell->packed = hash_age | (move & MOVE_MASK) | bound;
    cell->score = static_cast<int16_t>(score);
    cell->depth = static_cast<uint16_t>(depth_field);
}

// The store when cell 0 already holds this position.
void update_own_cell(HashCell* cell, Move move, int s, uint32_t d, uint32_t bound)
{
    const uint32_t old_bound = cell->packed & BOUND_BITS;
    if (cell->depth <= d) {
        if (bound == BOUND_UPPER && old_bound != BOUND_UPPER)
            cell->packed = (cell->packed & MOVE_MASK) | hash_age | BOUND_UPPER;
        else
            cell->packed = hash_age | (move & MOVE_MASK) | bound;
        cell->depth = static_cast<uint16_t>(d);
        cell->score = static_cast<int16_t>(s);
    } else if (bound == BOUND_UPPER) {
        return;
    } else if (s > MATE_BOUND && s > cell->score) {
        cell->score = static_cast<int16_t>(s);
        cell->packed = hash_age | (move & MOVE_MASK) | BOUND_LOWER;
    } else {
        cell->packed = old_bound | hash_age | (move & MOVE_MASK);
    }
}

}  // namespace

Move hash_best_move()
{
    const HashCell* cell = hash_find();
    return cell ? cell->packed & MOVE_MASK : NULL_MOVE;
}

void hash_forget_position()
{
    if (HashCell* cell = hash_find()) *cell = HashCell{};
}

void hash_store(Move move, int score, int height, uint32_t depth_field, uint32_t bound)
{
    ++hash_stores;
    HashCell* bucket = bucket_of_position();
    int s = score;
    if (s > MATE_BOUND) {
        s += height;
        if (s == 29999 && bound == BOUND_LOWER) bound = BOUND_EXACT;
    } else if (s < -MATE_BOUND) {
        s -= height;
    }
    if (locks_match(bucket[0])) {
        update_own_cell(&bucket[0], move, s, depth_field, bound);
        return;
    }
    const bool current = (bucket[0].packed & AGE_BITS) == hash_age;
    if (current) ++hash_collisions;
    if (current && bucket[0].depth >= depth_field) {
        write_cell(&bucket[1], move, s, depth_field, bound);
    } else {
        bucket[1] = bucket[0];
        write_cell(&bucket[0], move, s, depth_field, bound);
    }
}

void prefetch_next_cells()
{
    const Etat& cur = etats[ply];
    const Etat& next = etats[ply + 1];
    const int side = -trait;
    prefetch_line(&Hash_table[main_bucket_index(next.hash_key, side)]);
    prefetch_cell(&Eval_hash_table[eval_cell_index(next.hash_key, side)]);
    const Move m = cur.coup;  // the move begun
    // With the pawns, castling rights and kings unchanged, the pawn and king cells are those of
    // the current position, fetched when it was entered.
    if (next.pawn_key == cur.pawn_key && next.roque == cur.roque && move_piece(m) != KING) return;
    prefetch_cell(pawn_cell(next.pawn_key));
    const int mover = colour_index(trait);
    for (int c = BLACK; c <= WHITE; ++c) {
        const int king = c == mover && move_piece(m) == KING ? move_to(m) : king_square(c);
        Key96 key;
        prefetch_cell(king_cell(next.pawn_key, king, castling_rights_of(next.roque, c), c, &key));
    }
}
