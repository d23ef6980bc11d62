// The recursive full-width search below the root and the search state it owns: stop flag,
// node counters, per-height records, killers, countermoves and history. Every make is matched
// by its unmake before any return, so the position record is the same on exit as on entry,
// also when a stop unwinds the tree (each level then answers 0 at once and stores nothing).
#include "search/search.h"

#include <algorithm>
#include <cstdio>

#include "core/board.h"
#include "core/makemove.h"
#include "core/repetition.h"
#include "core/run_settings.h"
#include "core/tables.h"
#include "eval/evaluation.h"
#include "eval/exchange.h"
#include "eval/pawns.h"
#include "movegen/movegen.h"
#include "movegen/notation.h"
#include "platform/thread_state.h"
#include "search/clock.h"
#include "search/hash.h"
#include "search/ordering.h"
#include "search/quiescence.h"
#include "search/search_link.h"
#include "search/statictests.h"

QV_THREAD_STATE int32_t search_stopped;
QV_THREAD_STATE uint32_t poll_nodes;
QV_THREAD_STATE int32_t iteration_depth;
QV_THREAD_STATE uint64_t search_nodes;
QV_THREAD_STATE uint32_t search_nodes_by_height[SEARCH_HEIGHTS];
QV_THREAD_STATE uint32_t null_move_tries, null_move_cutoffs, threat_extensions;
QV_THREAD_STATE uint32_t search_cutoffs, first_move_cutoffs;
QV_THREAD_STATE uint32_t ext_in_check, ext_recapture, ext_promotion, ext_mate_threat;
QV_THREAD_STATE PlyInfo ply_info[SEARCH_HEIGHTS];
QV_THREAD_STATE MovePair killers[SEARCH_HEIGHTS];
QV_THREAD_STATE MovePair countermoves[2][2048];
QV_THREAD_STATE HistoryEntry history[2][2048];

namespace {

// The searched list of one activation. No position has 256 legal moves, but a futile node's
// list may hold a capture twice (once as a check), so the list is checked rather than trusted:
// moves beyond its end are still searched and counted, only their history tries are lost.
constexpr int SEARCHED_LIST_SIZE = 256;
// Capture and promotion fields of a move word (bits 17-22).
constexpr Move CAPTURE_OR_PROMOTION_BITS = 0x7e0000;
// Evasions beyond which a check near the horizon is searched one ply shallower, by the number
// of pawns and pieces of the side to move (at most 15: the piece list has 15 non-king slots).
constexpr int EVASION_LIMIT[16] = {1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 4, 4, 5, 5, 5, 5};

// What one activation of Search knows about its node besides the window and the depth.
struct Node {
    int height;
    int off_pv;
    int side;  // colour index of the side to move
    int opp;
    bool in_check;
    Move last;  // the move that led here, 0 after a null move
    int material;
    bool futile;
    bool generated;
    int best;
    Move best_move;
    int searched;    // moves searched so far
    int first_pick;  // the list's first pick as its scoring returned it
    Move searched_list[SEARCHED_LIST_SIZE];
};

bool is_capture(Move m)
{
    return move_captured(m) != 0;
}

bool list_empty(int height)
{
    return ply_start[height + 1] <= ply_start[height];
}

// Depth of the shallower searches of internal deepening and of the middle-game null move:
// three, two or one ply less besides the ply itself.
int reduced_depth(int depth)
{
    if (depth >= SEVEN_PLIES) return depth - FOUR_PLIES;
    if (depth >= FOUR_PLIES) return depth - THREE_PLIES;
    return depth - TWO_PLIES;
}

// off_pv of a child searched with the full window: stays 0 on the principal variation.
int pv_child(int off_pv)
{
    return off_pv + (off_pv != 0 ? 1 : 0);
}

// Internal iterative deepening: a shallower search of the same node fills the transposition
// table (and so the hash move) first. True when that search already settles the node.
bool deepen_first(int alpha, int beta, const Node& n, int depth, int* result)
{
    const int d = reduced_depth(depth);
    PlyInfo& info = ply_info[n.height];
    ++info.iid_nesting;
    const int r = Search(alpha, beta, n.height, d, n.off_pv);
    bool settled = true;
    *result = 0;
    if (!search_stopped) {
        if (r > MATE_BOUND && r >= beta) {
            *result = beta;
        } else if (r < -MATE_BOUND && r <= alpha) {
            *result = alpha;
        } else {
            if (info.iid_nesting == 2 && r >= beta && r < beta + 200 && n.material < beta + 200 &&
                !list_empty(n.height))
                Search(beta, beta + 200, n.height, d, n.off_pv);
            else if (n.off_pv == 0 && r <= alpha)
                Search(-MAX_SCORE, alpha, n.height, d, 0);
            settled = search_stopped != 0;
        }
    }
    --info.iid_nesting;
    return settled;
}

// The null move and its guards. True when the node is settled (a cutoff, a stalemate found
// while testing mobility, or a stop); otherwise depth may have grown by the mate-threat ply.
bool null_move_settles(Node& n, int beta, int* depth, int ext, int* result)
{
    int nd;
    if (nombre_pieces[n.side] >= 3) {
        if (piece_threat(trait, n.material - beta + 300)) return false;
        nd = reduced_depth(*depth);
        ply_start[n.height + 1] = ply_start[n.height];
    } else {
        if (n.material < beta + fight(-trait)) return false;
        genere_all_moves(n.height);
        n.generated = true;
        if (list_empty(n.height)) {
            *result = draw_score();
            return true;
        }
        if (!enough_safe_moves(n.height, beta - n.material)) return false;
        if (evaluation(beta, beta + 1) <= beta) return false;
        nd = *depth >= FOUR_PLIES ? *depth - THREE_PLIES : *depth - TWO_PLIES;
    }
    ++null_move_tries;
    make_null_move();
    const int r = nd >= ONE_PLY ? -Search(-beta, 1 - beta, n.height + 1, nd, n.off_pv + 1)
                                : -SuperQuiescence(-beta, 1 - beta, n.height + 1, TWO_PLIES);
    unmake_null_move();
    if (search_stopped) {
        *result = 0;
        return true;
    }
    if (r >= beta) {
        ++null_move_cutoffs;
        *result = r;
        return true;
    }
    if (beta > -29000 && r <= -MATE_BOUND && n.height <= iteration_depth && ext == 0) {
        *depth += ONE_PLY;
        ++threat_extensions;
        ++ext_mate_threat;  // the same event, shown on the extensions line
    }
    return false;
}

// Optimistic value of a node near the horizon: material and pawn structure, less the
// pessimistic bound of the opponent's other terms.
int futility_estimate()
{
    const int pawns = evaluation_pions();  // publishes the flags the lazy bound reads
    return trait * (pawns + trait * pos()->score_materiel) - lazy_bound(-trait);
}

// A futile node's list: captures that may still reach alpha, direct checks without the
// captures already listed, and promotions.
void build_futile_list(int height, int threshold)
{
    int write = ply_start[height];
    if (threshold < 950) write = genere_captures(write, threshold);
    const int checks = write;
    write = genere_echecs(write);
    write = drop_big_captures(checks, write, threshold);
    write = genere_promotions(write);
    ply_start[height + 1] = write;
}

// Builds and orders the node's list. True when the node is settled without searching.
bool prepare_moves(Node& n, int alpha, int* depth, int* result)
{
    if (n.in_check) {
        genere_evasions(n.height);
        const int count = ply_start[n.height + 1] - ply_start[n.height];
        if (count == 0) {
            *result = n.height - MAX_SCORE;
            return true;
        }
        const int men = std::min(nombre_pions[n.side] + nombre_pieces[n.side], 15);
        if (n.height >= iteration_depth && *depth >= TWO_PLIES && count > EVASION_LIMIT[men])
            *depth -= ONE_PLY;
    } else {
        const int margin = *depth < TWO_PLIES ? 0 : 500;
        if (*depth < THREE_PLIES && n.material + 100 + margin < alpha) {
            const int bound = futility_estimate() + 50 + margin;
            if (bound < alpha) {
                n.futile = true;
                n.best = bound;
                build_futile_list(n.height, alpha - n.best - 100);
                if (list_empty(n.height)) {
                    *result = alpha;
                    return true;
                }
            }
        }
        if (!n.futile) {
            if (!n.generated) genere_all_moves(n.height);
            if (list_empty(n.height)) {
                *result = draw_score();
                return true;
            }
        }
    }
    if (n.off_pv == 0 && *depth >= THREE_PLIES)
        n.first_pick = ordonne_precis(n.height);
    else if (n.in_check)
        n.first_pick = ordonne_evasions(n.height);
    else
        n.first_pick = ordonne(n.height);
    return false;
}

void remember_searched(Node& n, Move m)
{
    if (n.searched < SEARCHED_LIST_SIZE) n.searched_list[n.searched] = m;
    ++n.searched;
}

// Killers (unless m answers on the square of the opponent's last move), countermoves.
void remember_good_move(const Node& n, Move m)
{
    if (move_to(m) != move_to(n.last)) update_pair(&killers[n.height], m);
    update_pair(&countermoves[n.side][move_index_of(n.last)], m);
}

int cutoff(const Node& n, Move m, int r, int depth)
{
    hash_store(m, r, n.height, depth | DEPTH_FULL_WIDTH, BOUND_LOWER);
    remember_good_move(n, m);
    if (!is_capture(m)) {
        HistoryEntry* h = history[n.side];
        count_try(h[move_index_of(m)], true);
        // Every move searched before m (m itself is the last one listed).
        const int earlier = std::min(n.searched - 1, SEARCHED_LIST_SIZE);
        for (int i = 0; i < earlier; ++i) count_try(h[move_index_of(n.searched_list[i])], false);
    }
    ++search_cutoffs;
    if (n.searched == 1) ++first_move_cutoffs;
    return r;
}

int after_loop(const Node& n, int alpha0, int depth)
{
    if (n.searched == 0 && !n.futile) return n.in_check ? n.height - MAX_SCORE : draw_score();
    if (n.best <= alpha0) {
        hash_store(n.best_move, n.best, n.height, depth | DEPTH_FULL_WIDTH, BOUND_UPPER);
        return n.best;
    }
    hash_store(n.best_move, n.best, n.height, depth | DEPTH_FULL_WIDTH, BOUND_EXACT);
    remember_good_move(n, n.best_move);
    if (!is_capture(n.best_move)) count_try(history[n.side][move_index_of(n.best_move)], true);
    return n.best;
}

// Late-move reduction candidate, tested with m on the board: no check given, no capture or
// promotion, and no threat created.
bool is_reducible(const Node& n, Move m)
{
    return attaques[n.side][king_square(n.opp)] == 0 && (m & CAPTURE_OR_PROMOTION_BITS) == 0 &&
           !threat_after_move(m);
}

// The move loop: principal-variation search with late-move reductions.
int search_moves(Node& n, int alpha, int beta, int depth)
{
    const int alpha0 = alpha;
    const int h = n.height;
    int reducible = 0;
    for (int pick = n.first_pick; !list_empty(h); pick = NO_PICK) {
        const Move m = pick != NO_PICK ? take_move(h, pick) : next_move(h);
        make_move_prefetching(m);
        if (own_king_attacked_after_move()) {
            unmake_move(m);
            continue;
        }
        int r = 0;
        bool reduced_fail_low = false;
        if (n.best_move == 0) {
            r = -Search(-beta, -alpha, h + 1, depth - ONE_PLY, pv_child(n.off_pv));
        } else {
            if (depth >= TWO_PLIES && n.off_pv >= 2 && is_reducible(n, m) && ++reducible >= 3) {
                r = -Search(-alpha - 1, -alpha, h + 1, depth - TWO_PLIES, n.off_pv + 1);
                if (search_stopped) {
                    unmake_move(m);
                    return 0;
                }
                reduced_fail_low = r <= alpha;
            }
            if (!reduced_fail_low) {
                r = -Search(-alpha - 1, -alpha, h + 1, depth - ONE_PLY, n.off_pv + 1);
                if (r > alpha && r < beta && !search_stopped)
                    r = -Search(-beta, 1 - r, h + 1, depth - ONE_PLY, pv_child(n.off_pv));
            }
        }
        unmake_move(m);
        remember_searched(n, m);
        if (search_stopped) return 0;
        if (reduced_fail_low || r <= n.best) continue;
        n.best = r;
        n.best_move = m;
        if (r > alpha) {
            alpha = r;
            if (r >= beta || r >= MATE_SCORE - h) return cutoff(n, m, r, depth);
        }
    }
    return after_loop(n, alpha0, depth);
}

// The rules that settle a node before any search: mate distance, draws in the tree, a bare
// king that cannot win, a queen mate next to the enemy king. True with *result when one applies.
bool settled_at_once(const Node& n, int alpha, int beta, int depth, int* result)
{
    const int h = n.height;
    const Etat* here = pos();
    if (!n.in_check && beta <= h - 29998) {
        *result = h - 29998;
    } else if (drawn_by_material() ||
               (ply >= here->irreversible + 4 &&
                (ply >= here->irreversible + 100 || repetition_count() >= 3))) {
        *result = draw_score();
    } else if (mk[n.side] == 0 && alpha > 0) {
        *result = alpha;
    } else if (!n.in_check && depth >= THREE_PLIES && piece_type[n.side][QUEEN] != 0 &&
               queen_contact_mate(trait)) {
        *result = MATE_SCORE - h;
    } else {
        return false;
    }
    return true;
}

// The transposition probe: the hash move for ordering, and the window narrowed by a stored
// bound (beta only when no double null move may follow). True with *result when it settles.
bool probe_settles(int height, int depth, bool double_null, int* alpha, int* beta, int* result)
{
    Move hash_move = NULL_MOVE;
    int stored = 0;
    const uint32_t answer = hash_probe(&hash_move, &stored, height, depth | DEPTH_FULL_WIDTH);
    ply_info[height].hash_move = answer == HASH_NO_CELL ? NULL_MOVE : hash_move;
    *result = stored;
    if (answer == BOUND_EXACT) return true;
    if (answer == BOUND_LOWER)
        *alpha = std::max(*alpha, stored);
    else if (answer == BOUND_UPPER && stored < *beta && !double_null)
        *beta = stored;
    return (answer == BOUND_LOWER || answer == BOUND_UPPER) && *alpha >= *beta;
}

}  // namespace

void report_max_height(const char* search_name)
{
    report_event({SearchEvent::LAST_HEIGHT, 0, 0, false, search_name});
}

uint32_t poll_interval()
{
    const uint32_t scaled = 10u * static_cast<uint32_t>(estimated_cpu_speed);
    return scaled < MAX_POLL_INTERVAL ? scaled : MAX_POLL_INTERVAL;
}

int Search(int alpha, int beta, int height, int depth, int off_pv)
{
    // Heights 0..63 index the per-height tables; a move made here needs a free ply record.
    if (height >= SEARCH_HEIGHTS - 1 || ply >= MAX_PLY_RECORDS - 1) {
        report_max_height("Search");
        return pos()->score_materiel;
    }
    if (depth < ONE_PLY && poll_stops()) return 0;
    if (alpha >= MATE_SCORE - height) return MATE_SCORE - height;

    Node n;
    n.height = height;
    n.off_pv = off_pv;
    n.side = colour_index(trait);
    n.opp = 1 - n.side;
    n.in_check = attaques[n.opp][king_square(n.side)] != 0;
    n.material = pos()->score_materiel;
    n.last = ply >= 1 ? etats[ply - 1].coup : NULL_MOVE;
    n.futile = n.generated = false;
    n.best = -MAX_SCORE;
    n.best_move = NULL_MOVE;
    n.searched = 0;
    n.first_pick = NO_PICK;
    int result = 0;
    if (settled_at_once(n, alpha, beta, depth, &result)) return result;
    if (depth >= THREE_PLIES && !hash_holds_position() &&
        deepen_first(alpha, beta, n, depth, &result))
        return result;

    const int ext = extensions(alpha, beta, height, depth, n.in_check, n.last);
    depth += ext;
    if (depth < ONE_PLY) return SuperQuiescenceAtHorizon(alpha, beta, height, n.in_check);

    ++poll_nodes;
    ++search_nodes;
    ++search_nodes_by_height[height];

    const Move before_last = ply >= 2 ? etats[ply - 2].coup : NULL_MOVE;
    const bool double_null = n.last == NULL_MOVE && before_last != NULL_MOVE &&
                             depth >= TWO_PLIES && nombre_pieces[n.side] < 3;
    if (probe_settles(height, depth, double_null, &alpha, &beta, &result)) return result;

    killers[height + 1].move1 = NULL_MOVE;
    killers[height + 1].move2 = NULL_MOVE;

    if (double_null) {
        ply_start[height + 1] = ply_start[height];
        make_null_move();
        const int r = -Search(-beta, 1 - beta, height + 1, depth, off_pv + 1);
        unmake_null_move();
        if (search_stopped) return 0;
        if (r >= beta) return r;
    }
    if (depth >= TWO_PLIES && n.material + 100 > beta && off_pv != 0 && n.last != NULL_MOVE &&
        !n.in_check && hash_allows_null(beta, depth) &&
        null_move_settles(n, beta, &depth, ext, &result))
        return result;
    if (prepare_moves(n, alpha, &depth, &result)) return result;
    return search_moves(n, alpha, beta, depth);
}
