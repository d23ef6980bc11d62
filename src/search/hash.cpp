// The transposition table's store and the early fetch (the probe is inline in hash.h). A bucket
// is two cells of the side to move; cell 0 holds the deeper or newer entry, and a mate score is
// stored relative to the node, so it reads the same from any height.
#include "search/hash.h"

#include <algorithm>
#include <cstdint>

#include "core/board.h"
#include "eval/evaluation.h"
#include "eval/kingsafety.h"
#include "eval/pawns.h"
#include "platform/platform.h"
#include "platform/thread_state.h"
#include "search/search.h"

QV_THREAD_STATE uint32_t hash_probes, hash_hits, hash_stores, hash_collisions;

namespace {

// Both lines of a cell that may straddle two.
template <typename Cell>
void prefetch_cell(const Cell* cell)
{
    prefetch_line(cell);
    prefetch_line(reinterpret_cast<const char*>(cell) + sizeof(Cell) - 1);
}

// The store when cell 0 already holds this position (its entry in e).
void update_own_cell(HashCell& cell, uint64_t lock, HashEntry e, Move move, int s, uint32_t d,
                     uint32_t bound)
{
    const uint32_t old_bound = e.packed & BOUND_BITS;
    if (e.depth <= d) {
        if (bound == BOUND_UPPER && old_bound != BOUND_UPPER)
            e.packed = (e.packed & MOVE_MASK) | hash_age | BOUND_UPPER;
        else
            e.packed = hash_age | (move & MOVE_MASK) | bound;
        e.depth = static_cast<uint16_t>(d);
        e.score = static_cast<int16_t>(s);
    } else if (bound == BOUND_UPPER) {
        return;
    } else if (s > MATE_BOUND && s > e.score) {
        e.score = static_cast<int16_t>(s);
        e.packed = hash_age | (move & MOVE_MASK) | BOUND_LOWER;
    } else {
        e.packed = old_bound | hash_age | (move & MOVE_MASK);
    }
    write_entry(cell, lock, e);
}

// Samples at most this many cells for the per mille figure.
constexpr uint64_t PERMILLE_SAMPLE = 1000;

}  // namespace

Move hash_best_move()
{
    HashEntry e;
    return hash_find(&e) ? e.packed & MOVE_MASK : NULL_MOVE;
}

void hash_forget_position()
{
    HashEntry e;
    if (HashCell* cell = hash_find(&e)) {
        store_word(cell->check, 0);
        store_word(cell->data, 0);
    }
}

bool hash_take_root_entry(HashEntry* out)
{
    HashCell* cell = hash_find(out);
    if (cell == nullptr) return false;
    HashEntry renewed = *out;
    renewed.packed = (renewed.packed & ~AGE_BITS) | hash_age;
    write_entry(*cell, position_lock(), renewed);
    return true;
}

int hash_permille_used()
{
    const uint64_t cells = uint64_t{hash_mask} + 4;
    const int sample = static_cast<int>(std::min<uint64_t>(cells, PERMILLE_SAMPLE));
    int used = 0;
    for (int i = 0; i < sample; ++i) {
        const uint64_t data = load_word(Hash_table[i].data);
        if ((load_word(Hash_table[i].check) ^ data) != 0 && (data & AGE_BITS) == hash_age) ++used;
    }
    return used * 1000 / sample;
}

void hash_store(Move move, int score, int height, uint32_t depth_field, uint32_t bound)
{
    ++hash_stores;
    HashCell* bucket = bucket_of_position();
    const uint64_t lock = position_lock();
    int s = score;
    if (s > MATE_BOUND) {
        s += height;
        if (s == 29999 && bound == BOUND_LOWER) bound = BOUND_EXACT;
    } else if (s < -MATE_BOUND) {
        s -= height;
    }
    HashEntry own;
    if (cell_holds(bucket[0], lock, &own)) {
        update_own_cell(bucket[0], lock, own, move, s, depth_field, bound);
        return;
    }
    const HashEntry first = unpack_entry(load_word(bucket[0].data));
    const HashEntry entry{hash_age | (move & MOVE_MASK) | bound, static_cast<int16_t>(s),
                          static_cast<uint16_t>(depth_field)};
    const bool current = (first.packed & AGE_BITS) == hash_age;
    if (current) ++hash_collisions;
    if (current && first.depth >= depth_field) {
        write_entry(bucket[1], lock, entry);
    } else {
        store_word(bucket[1].data, load_word(bucket[0].data));
        store_word(bucket[1].check, load_word(bucket[0].check));
        write_entry(bucket[0], lock, entry);
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
