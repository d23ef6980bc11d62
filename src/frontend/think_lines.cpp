// The thinking lines of the xboard mode and the console. The iteration and fail lines print in
// xboard mode always and in the console when `show_thinking` is set; every other line only when
// it is set, the statistics and the clock lines only outside UCI. Only the principal variation
// makes moves, and it takes every one of them back.
#include "frontend/think_lines.h"

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
#include "search/statictests.h"
#include "search/think_info.h"

int32_t show_thinking = 1;

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

void print_ratio(const char* name, uint32_t a, uint32_t b)
{
    std::printf("%s> %u / %u [%.2lf %%]\n", name, a, b, 100.0 * a / (b + 1.0));
}

void print_first_line()
{
    const int static_value = evaluation(-30000, 30000) + fight(trait);
    std::printf("0 %d 0 0 ", static_value);
    std::printf("%s", move_to_text(root_list[0].move, false));
    const int material = (pos()->materiel[WHITE] - pos()->materiel[BLACK]) * trait;
    const int balance = evalue_materiel();
    std::printf(" {%d %d %d}\n", material, balance, evaluation(-30000, 30000));
}

void print_search_line(SearchEvent kind, int score)
{
    if (text_mode()) {
        if (!show_thinking) return;
        const char open = kind == SearchEvent::ITERATION ? '[' : '|';
        const char close = kind == SearchEvent::ITERATION ? ']' : '|';
        const char mark = kind == SearchEvent::ITERATION   ? '='
                          : kind == SearchEvent::FAIL_HIGH ? '^'
                                                           : 'V';
        std::printf("%c%2d %6u %8llu %c %4d %c ", open, iteration_depth,
                    static_cast<uint32_t>(think_elapsed()),
                    static_cast<unsigned long long>(node_total()), close, score, mark);
    } else {
        print_xboard_head(score);
        if (kind == SearchEvent::FAIL_HIGH) std::printf("++ ");
        if (kind == SearchEvent::FAIL_LOW) std::printf("-- ");
    }
    print_pv();
    std::printf("\n");
}

void print_root_line(Move m, int score, bool researched)
{
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

// The clock lines of a move's allocation: what is left, the moves to the control when the mode
// counts them, and the time the move gets.
void print_allocation()
{
    const int32_t r = pendule[colour_index(allocation_side)].remaining;
    const int32_t s = r / 1000;
    std::printf("Temps: %2d:%2d:%2d (%d ms)\n", s / 3600, s / 60 % 60, s % 60, r);
    if (allocation_moves_left > 0)
        std::printf("%d coups restants avant gain de temps\n", allocation_moves_left);
    std::printf("Temps de reflexion : %d ms\n", move_allocation);
}

void print_max_height(const char* where)
{
    std::printf("Profondeur maximale atteinte dans %s\n", where);
    print_search_path();
    std::printf("\n");
}

}  // namespace

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

void think_lines_report(const SearchReport& r)
{
    if (uci_mode()) return;
    switch (r.event) {
        case SearchEvent::FIRST_MOVE:
            if (show_thinking) print_first_line();
            break;
        case SearchEvent::NEW_BEST:
            if (show_thinking) print_root_line(r.move, r.score, r.researched);
            break;
        case SearchEvent::ITERATION:
        case SearchEvent::FAIL_HIGH:
        case SearchEvent::FAIL_LOW:
            print_search_line(r.event, r.score);
            break;
        case SearchEvent::THINK_END:
            if (show_thinking && text_mode()) print_statistics();
            break;
        case SearchEvent::ALLOCATION:
            print_allocation();
            break;
        case SearchEvent::LAST_HEIGHT:
            print_max_height(r.where);
            break;
        case SearchEvent::ROOT_LINE:
            break;  // only UCI asks for several lines
    }
}
