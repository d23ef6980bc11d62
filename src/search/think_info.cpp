// The figures a think's reports read: elapsed time, node totals, the principal variation from
// the transposition table, the reached height and the reset of the statistics counters.
#include "search/think_info.h"

#include "core/board.h"
#include "core/makemove.h"
#include "core/material.h"
#include "eval/evaluation.h"
#include "eval/kingsafety.h"
#include "eval/pawns.h"
#include "movegen/movegen.h"
#include "search/clock.h"
#include "search/hash.h"
#include "search/quiescence.h"
#include "search/root.h"
#include "search/search.h"
#include "search/threads.h"
#include "search/statictests.h"

uint64_t own_node_total()
{
    return search_nodes + superq_nodes + quiescence_nodes;
}

uint64_t node_total()
{
    return own_node_total() + (helper_number == 0 ? helper_nodes() : 0);
}

int64_t think_elapsed()
{
    return clock_now() - search_start;
}

bool pv_move_fits_board(Move m)
{
    const uint8_t mover = echiquier[move_from(m)];
    const uint8_t target = echiquier[move_to(m)];
    if ((mover & colour_bit(trait)) == 0 || type_of(mover) != move_piece(m)) return false;
    if (move_captured(m) == 0) return target == EMPTY;
    return (target & colour_bit(-trait)) != 0 && type_of(target) == move_captured(m);
}

int collect_pv(Move* out, int max)
{
    int count = 0;
    while (count < max && ply < MAX_PLY_RECORDS - 1) {
        const Move m = hash_best_move();
        if (m == 0 || !pv_move_fits_board(m)) break;
        make_move(m);
        out[count++] = m;
    }
    for (int i = count; i > 0; --i) unmake_move(out[i - 1]);
    return count;
}

int reached_height()
{
    int h = 1;
    while (h < SEARCH_HEIGHTS && (search_nodes_by_height[h] | superq_nodes_by_height[h] |
                                  quiescence_nodes_by_height[h]) != 0)
        ++h;
    return h - 1;
}

void clear_statistics()
{
    clear_search_tables();
    quiescence_nodes = superq_nodes = 0;
    for (int h = 0; h < SEARCH_HEIGHTS; ++h)
        quiescence_nodes_by_height[h] = superq_nodes_by_height[h] = 0;
    make_move_calls = 0;
    genere_calls = captures_calls = promotions_calls = evasions_calls = echecs_calls = 0;
    pawn_probes = pawn_hits = king_probes = king_hits = 0;
    materiel_calls = materiel_hits = eval_probes = eval_hits = 0;
    hash_probes = hash_hits = hash_stores = hash_collisions = 0;
    queen_mate_tries = queen_mate_found = 0;
}
