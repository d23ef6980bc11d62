// The five caches: how one budget is cut among them, their allocation and clearing, and the
// transposition table's probe and store. Each table's mask always matches the block it indexes:
// a table is replaced only once its new block has been obtained, so a failed request leaves the
// old table and mask in use.
#include "search/hash.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/board.h"
#include "frontend/startup.h"
#include "platform/platform.h"

HashCell* Hash_table;
EvalCell* Eval_hash_table;
PawnCell* Pawn_hash_table;
KingCell* King_hash_table;
MaterialCell* Materiel_hash_table;

uint32_t hash_mask, eval_hash_mask, pawn_hash_mask, materiel_hash_mask, king_hash_mask;
size_t hash_bytes, eval_hash_bytes, pawn_hash_bytes, materiel_hash_bytes, king_hash_bytes;

uint32_t hash_age;
uint32_t hash_probes, hash_hits, hash_stores, hash_collisions;

namespace {

struct TableShape {
    const char* name;
    uint32_t cell_bytes;
    uint64_t min_cells;
    uint32_t mask_offset;  // mask = cells - offset: keeps the low bits free for the bucket
    const char* failure;
};

constexpr TableShape SHAPES[CACHE_COUNT] = {
    {"Hash_table", sizeof(HashCell), 256, 4,
     "Erreur lors de l'initialisation de la table de hachage principale\n"},
    {"Eval_hash_table", sizeof(EvalCell), 256, 2,
     "Erreur lors de l'initialisation de la table de hachage des evaluations\n"},
    {"Pawn_hash_table", sizeof(PawnCell), 256, 1,
     "Erreur lors de l'initialisation de la table de hachage des pions\n"},
    {"Materiel_hash_table", sizeof(MaterialCell), 64, 1,
     "Erreur lors de l'initialisation de la tables de hachage du materiel\n"},
    {"King_hash_table", sizeof(KingCell), 256, 2,
     "Erreur lors de l'initialisation de la table de hachage des securites des rois\n"},
};

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
    const TableShape& shape = SHAPES[which];
    const uint64_t wanted = std::max(allowance / shape.cell_bytes, shape.min_cells);
    TablePlan t{};
    t.allowance = allowance;
    t.cells = std::min(largest_power_of_two_at_most(wanted), MAX_CELLS);
    t.bytes = t.cells * shape.cell_bytes;
    t.mask = static_cast<uint32_t>(t.cells - shape.mask_offset);
    return t;
}

// The rest after a table took its size; nothing is left when it took more than remained.
constexpr uint64_t after(uint64_t rest, const TablePlan& t)
{
    return rest > t.bytes ? rest - t.bytes : 0;
}

void print_binary_mask(uint32_t mask)
{
    char text[40];
    int n = 0;
    for (int bit = 31; bit >= 0; --bit) {
        text[n++] = (mask >> bit) & 1 ? '1' : '0';
        if (bit % 8 == 0) text[n++] = ' ';
    }
    text[n] = 0;
    std::printf("mask = %s\n", text);
}

void** table_pointer(int which)
{
    switch (which) {
        case CACHE_MAIN:
            return reinterpret_cast<void**>(&Hash_table);
        case CACHE_EVAL:
            return reinterpret_cast<void**>(&Eval_hash_table);
        case CACHE_PAWN:
            return reinterpret_cast<void**>(&Pawn_hash_table);
        case CACHE_MATERIEL:
            return reinterpret_cast<void**>(&Materiel_hash_table);
        default:
            return reinterpret_cast<void**>(&King_hash_table);
    }
}

void install_table(int which, void* block, const TablePlan& t)
{
    void** slot = table_pointer(which);
    std::free(*slot);
    *slot = block;
    const size_t bytes = static_cast<size_t>(t.bytes);
    switch (which) {
        case CACHE_MAIN:
            hash_mask = t.mask, hash_bytes = bytes;
            break;
        case CACHE_EVAL:
            eval_hash_mask = t.mask, eval_hash_bytes = bytes;
            break;
        case CACHE_PAWN:
            pawn_hash_mask = t.mask, pawn_hash_bytes = bytes;
            break;
        case CACHE_MATERIEL:
            materiel_hash_mask = t.mask, materiel_hash_bytes = bytes;
            break;
        default:
            king_hash_mask = t.mask, king_hash_bytes = bytes;
            break;
    }
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

// Sizes one table, reports it in text mode and obtains its zeroed block; answers the bytes
// obtained, or 0 when the heap refused them.
uint64_t size_table(int which, const TablePlan& t)
{
    const TableShape& shape = SHAPES[which];
    if (text_mode()) {
        std::printf("%s - %u octets/cellule\n", shape.name, shape.cell_bytes);
        std::printf("%llu cellules / %llu octets (%llu Mo)\n",
                    static_cast<unsigned long long>(t.cells),
                    static_cast<unsigned long long>(t.bytes),
                    static_cast<unsigned long long>(t.bytes >> 20));
        print_binary_mask(t.mask);
    }
    if (t.bytes > SIZE_MAX) return 0;
    void* block = obtain_zeroed_block(t.bytes);
    if (block == nullptr) return 0;
    install_table(which, block, t);
    return t.bytes;
}

HashCell* bucket_of_position()
{
    return &Hash_table[main_bucket_index(pos()->hash_key, trait)];
}

// Both lines of a cell that may straddle two.
template <typename Cell>
void prefetch_cell(const Cell* cell)
{
    prefetch_line(cell);
    prefetch_line(reinterpret_cast<const char*>(cell) + sizeof(Cell) - 1);
}

bool locks_match(const HashCell& cell)
{
    return cell.lock1 == pos()->hash_key.w[0] && cell.lock2 == pos()->hash_key.w[1];
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

int allocate_caches(uint64_t budget_bytes)
{
    CachePlan plan;
    plan_caches(budget_bytes, &plan);
    for (int which = 0; which < CACHE_COUNT; ++which) {
        if (size_table(which, plan.table[which]) == 0) {
            std::printf("%s", SHAPES[which].failure);
            return -1;
        }
    }
    return 0;
}

void clear_caches()
{
    if (Hash_table) std::memset(Hash_table, 0, hash_bytes);
    if (Eval_hash_table) std::memset(Eval_hash_table, 0, eval_hash_bytes);
    if (Pawn_hash_table) std::memset(Pawn_hash_table, 0, pawn_hash_bytes);
    if (King_hash_table) std::memset(King_hash_table, 0, king_hash_bytes);
    if (Materiel_hash_table) std::memset(Materiel_hash_table, 0, materiel_hash_bytes);
    hash_age = 0;
}

HashCell* hash_find()
{
    HashCell* bucket = bucket_of_position();
    if (locks_match(bucket[0])) return &bucket[0];
    if (locks_match(bucket[1])) return &bucket[1];
    return nullptr;
}

Move hash_best_move()
{
    const HashCell* cell = hash_find();
    return cell ? cell->packed & MOVE_MASK : NULL_MOVE;
}

uint32_t hash_probe(Move* move, int* score, int height, uint32_t depth_field)
{
    ++hash_probes;
    const HashCell* cell = hash_find();
    if (cell == nullptr) return HASH_NO_CELL;
    ++hash_hits;
    *move = cell->packed & MOVE_MASK;
    const uint32_t bound = cell->packed & BOUND_BITS;
    int s = cell->score;
    *score = s;
    if (s > MATE_BOUND) {
        s -= height;
        *score = s;
        // A mate found within the stored depth is exact from any height.
        if (bound == BOUND_EXACT && int(cell->depth & 0x7fff) + s >= 29999 - height)
            return BOUND_EXACT;
        if (bound & BOUND_LOWER) return BOUND_LOWER;
    } else if (s < -MATE_BOUND) {
        *score = s + height;
        if (bound & BOUND_UPPER) return BOUND_UPPER;
    }
    if (cell->depth >= depth_field) return bound;
    if (depth_field == 60) return (bound & BOUND_LOWER) ? BOUND_LOWER : 0;
    if (depth_field == 120 && cell->depth == 60 && (bound & BOUND_UPPER)) return BOUND_UPPER;
    return 0;
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
    const Etat& next = etats[ply + 1];
    const int side = -trait;
    prefetch_line(&Hash_table[main_bucket_index(next.hash_key, side)]);
    prefetch_cell(&Eval_hash_table[eval_cell_index(next.hash_key, side)]);
}

void advance_hash_age()
{
    hash_age = (hash_age + AGE_STEP) & AGE_BITS;
}
