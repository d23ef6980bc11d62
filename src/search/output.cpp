// What a think prints: the opening line, the iteration, fail-high, fail-low and root-move lines
// in text and xboard form, the principal variation from the transposition table and the
// statistics block. print_pv is the only part that moves pieces; it unmakes all it made.
#include "search/output.h"

#include <cstdio>

#include "core/board.h"
#include "core/makemove.h"
#include "core/material.h"
#include "core/run_settings.h"
#include "eval/evaluation.h"
#include "eval/exchange.h"
#include "eval/kingsafety.h"
#include "eval/pawns.h"
#include "movegen/movegen.h"
#include "movegen/notation.h"
#include "search/clock.h"
#include "search/hash.h"
#include "search/quiescence.h"
#include "search/root.h"
#include "search/search.h"
#include "search/search_link.h"
#include "search/statictests.h"

namespace {

constexpr int PV_MAX_MOVES = 64;
constexpr int RATE_MIN_MS = 100;  // below this the rate is not worth printing
const char* const RULE =
    "-----------------------------------------------------------------------------\n";

// The common head of the xboard lines: depth, score, centiseconds, nodes.
void print_xboard_head(int score)
{
    std::printf("%2d %3d %5d %8llu  ", iteration_depth, score,
                static_cast<int>(think_elapsed() / 10),
                static_cast<unsigned long long>(node_total()));
}

// Only a move whose piece and victim stand where the word says may be made: a stale or
// colliding table entry must never reach make_move.
bool pv_move_fits_board(Move m)
{
    const uint8_t mover = echiquier[move_from(m)];
    const uint8_t target = echiquier[move_to(m)];
    if ((mover & colour_bit(trait)) == 0 || type_of(mover) != move_piece(m)) return false;
    if (move_captured(m) == 0) return target == EMPTY;
    return (target & colour_bit(-trait)) != 0 && type_of(target) == move_captured(m);
}

void print_ratio(const char* name, uint32_t a, uint32_t b)
{
    std::printf("%s> %u / %u [%.2lf %%]\n", name, a, b, 100.0 * a / (b + 1.0));
}

}  // namespace

uint64_t node_total()
{
    return search_nodes + superq_nodes + quiescence_nodes;
}

int64_t think_elapsed()
{
    return clock_now() - search_start;
}

void print_first_line()
{
    if (search_link.report != nullptr) {
        search_link.report(SearchEvent::FIRST_MOVE, 0, root_list[0].move);
        return;
    }
    const int static_value = evaluation(-30000, 30000) + fight(trait);
    std::printf("0 %d 0 0 ", static_value);
    std::printf("%s", move_to_text(root_list[0].move, false));
    const int material = (pos()->materiel[WHITE] - pos()->materiel[BLACK]) * trait;
    const int balance = evalue_materiel();
    std::printf(" {%d %d %d}\n", material, balance, evaluation(-30000, 30000));
}

void print_search_line(SearchLine kind, int score)
{
    if (search_link.report != nullptr) {
        const SearchEvent event = kind == LINE_ITERATION   ? SearchEvent::ITERATION
                                  : kind == LINE_FAIL_HIGH ? SearchEvent::FAIL_HIGH
                                                           : SearchEvent::FAIL_LOW;
        search_link.report(event, score, NULL_MOVE);
        return;
    }
    if (text_mode()) {
        if (!show_thinking) return;
        const char open = kind == LINE_ITERATION ? '[' : '|';
        const char close = kind == LINE_ITERATION ? ']' : '|';
        const char mark = kind == LINE_ITERATION ? '=' : kind == LINE_FAIL_HIGH ? '^' : 'V';
        std::printf("%c%2d %6u %8llu %c %4d %c ", open, iteration_depth,
                    static_cast<uint32_t>(think_elapsed()),
                    static_cast<unsigned long long>(node_total()), close, score, mark);
    } else {
        print_xboard_head(score);
        if (kind == LINE_FAIL_HIGH) std::printf("++ ");
        if (kind == LINE_FAIL_LOW) std::printf("-- ");
    }
    print_pv();
    std::printf("\n");
}

void print_root_line(Move m, int score, int researched)
{
    if (search_link.report != nullptr) {
        search_link.report(SearchEvent::NEW_BEST, score, m);
        return;
    }
    const int64_t elapsed = think_elapsed();
    if (text_mode()) {
        std::printf("|%2d %6u %8llu | ", iteration_depth, static_cast<uint32_t>(elapsed),
                    static_cast<unsigned long long>(node_total()));
        const char mark = score <= root_alpha ? 'v' : researched ? '+' : '=';
        std::printf("%4d %c ", score, mark);
    } else {
        print_xboard_head(score);
        if (score <= root_alpha)
            std::printf("-- ");
        else if (researched)
            std::printf("+ ");
    }
    std::printf("%s", move_to_text(m, false));
    std::printf(" %d/%d", root_index + 1, root_count);
    if (elapsed > RATE_MIN_MS)
        std::printf(" (%.0lfK/s)",
                    static_cast<double>(node_total()) / static_cast<double>(elapsed));
    std::printf("\n");
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

void print_pv()
{
    Move made[PV_MAX_MOVES];
    int count = 0;
    // Each move needs a free ply record; the walk also ends at a move that does not fit.
    while (count < PV_MAX_MOVES && ply < MAX_PLY_RECORDS - 1) {
        const Move m = hash_best_move();
        if (m == 0 || !pv_move_fits_board(m)) break;
        std::printf("%s", move_to_text(m, true));
        make_move(m);
        made[count++] = m;
        if (in_check()) std::printf("+");
        std::printf(" ");
    }
    while (count > 0) unmake_move(made[--count]);
}

int reached_height()
{
    int h = 1;
    while (h < SEARCH_HEIGHTS && (search_nodes_by_height[h] | superq_nodes_by_height[h] |
                                  quiescence_nodes_by_height[h]) != 0)
        ++h;
    return h - 1;
}

void print_statistics()
{
    const uint64_t nodes = node_total();
    const uint32_t elapsed = static_cast<uint32_t>(search_start);
    std::printf("%s", RULE);
    std::printf("make_move %u\n", static_cast<uint32_t>(make_move_calls));
    std::printf("search %llu / super %llu / quiescence %llu\n",
                static_cast<unsigned long long>(search_nodes),
                static_cast<unsigned long long>(superq_nodes),
                static_cast<unsigned long long>(quiescence_nodes));
    std::printf("Gen> coup %u / capt %u / promo %u / escp %u / + %u\n", genere_calls,
                captures_calls, promotions_calls, evasions_calls, echecs_calls);
    std::printf("Ext> in_check %u / reprise %u / promo %u / null_move %u\n", ext_in_check,
                ext_recapture, ext_promotion, ext_mate_threat);
    print_ratio("Pawn", pawn_hits, pawn_probes);
    print_ratio("King", king_hits, king_probes);
    print_ratio("Mato", materiel_hits, materiel_calls);
    print_ratio("Eval", eval_hits, eval_probes);
    print_ratio("Hprb", hash_hits, hash_probes);
    print_ratio("Hcol", hash_collisions, hash_stores);
    print_ratio("Null", null_move_cutoffs, null_move_tries);
    print_ratio("PMAP", queen_mate_found, queen_mate_tries);
    std::printf("noeuds %llu", static_cast<unsigned long long>(nodes));
    if (elapsed != 0)
        std::printf(" - noeuds/s %.0lf", static_cast<double>(nodes) / (elapsed * 0.001));
    // A think without a node has no evaluations per node to show.
    std::printf(" - eval/noeud %.2lf %%",
                nodes != 0 ? 100.0 * eval_probes / static_cast<double>(nodes) : 0.0);
    std::printf(" - 1st cut %.2lf %%\n", 100.0 * first_move_cutoffs / (search_cutoffs + 1.0));
    std::printf("-[ %d ]-\n", reached_height());
    std::printf("( %u ms )\n", elapsed);
    std::printf("%s", RULE);
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
