// The think driver: the book, the root list with its best tags and node weights, iterative
// deepening inside aspiration windows and the search of the root moves. Every root move made is
// unmade before anything is returned, so the game position survives any think, stopped or not.
#include "search/root.h"

#include <algorithm>
#include <bit>
#include <cstdio>

#include "core/board.h"
#include "core/makemove.h"
#include "core/repetition.h"
#include "movegen/movegen.h"
#include "platform/thread_state.h"
#include "search/clock.h"
#include "search/hash.h"
#include "search/limits.h"
#include "search/multipv.h"
#include "search/ordering.h"
#include "search/search.h"
#include "search/search_link.h"
#include "search/strength.h"
#include "search/think_info.h"
#include "search/threads.h"

QV_THREAD_STATE RootEntry root_list[ROOT_LIST_SIZE];
QV_THREAD_STATE int32_t root_count;
QV_THREAD_STATE int32_t root_index;
QV_THREAD_STATE int32_t root_alpha, root_beta;
QV_THREAD_STATE uint32_t root_fail_flags;
QV_THREAD_STATE int64_t search_start;
QV_THREAD_STATE int32_t last_score = -MAX_SCORE;
QV_THREAD_STATE int32_t root_side;
QV_THREAD_STATE int32_t tag_counter;
QV_THREAD_STATE Move root_moves_only[ROOT_LIST_SIZE];
QV_THREAD_STATE int32_t root_moves_only_count;
QV_THREAD_STATE int32_t root_first;

namespace {

constexpr uint32_t FAIL_LOW_RESEARCH = 1;  // root_fail_flags: re-searching after a fail-low
constexpr uint32_t BEST_AT_OR_BELOW_ALPHA = 2;
constexpr int ASPIRATION_DELTA = 30;
constexpr int WIDEST_DELTA = 200;  // beyond this a window opens to the score bound
constexpr uint32_t NODE_BITS = (1u << TAG_SHIFT) - 1;

int tag_of(int i)
{
    return static_cast<int>(root_list[i].weight >> TAG_SHIFT);
}

void set_tag(int i, int tag)
{
    root_list[i].weight =
        (root_list[i].weight & NODE_BITS) | (static_cast<uint32_t>(tag) << TAG_SHIFT);
}

// Move i has just become the best with a score above root alpha: it gets the newest tag and
// the moves before it that were best once step one tag back, so the next iteration tries it
// first and the former best moves right after it.
void apply_tag_rule(int i)
{
    if (tag_counter < MAX_TAG && tag_of(i) == 0) {
        set_tag(i, ++tag_counter);
        return;
    }
    for (int j = 0; j < i; ++j)
        if (tag_of(j) != 0) set_tag(j, tag_of(j) - 1);
    set_tag(i, tag_counter);
}

// Searches root move i with the window (alpha, beta) for the opponent's reply at height 1 and
// charges the nodes spent to its weight. The move is unmade before returning.
int search_root_move(int i, int alpha, int beta, int depth, int off_pv)
{
    const Move m = root_list[i].move;
    const uint64_t before = node_total();
    make_move_prefetching(m);
    const int r = -Search(-beta, -alpha, 1, depth - ONE_PLY, off_pv);
    unmake_move(m);
    // The count saturates below the tag bits: a long analysis must not overwrite the best tag.
    const uint64_t nodes = (root_list[i].weight & NODE_BITS) + (node_total() - before);
    root_list[i].weight = (root_list[i].weight & ~NODE_BITS) |
                          static_cast<uint32_t>(std::min<uint64_t>(nodes, NODE_BITS));
    return r;
}

void store_root(Move m, int score, int depth, uint32_t bound)
{
    if (root_first > 0) return;  // a further line's move is not the position's best
    hash_store(m, score, 0, static_cast<uint32_t>(depth) | DEPTH_FULL_WIDTH, bound);
}

// Takes a better score into the window (a mate score always counts as better); true when it
// reaches beta.
bool raise_alpha(int r, int& alpha, int beta)
{
    if (r <= alpha && r < MATE_SCORE) return false;
    alpha = r;
    return r >= beta;
}

// A fail high at the root: the move is stored as a lower bound and returned at once.
int fail_high(Move best_move, int r, int depth, Move* out)
{
    store_root(best_move, r, depth, BOUND_LOWER);
    *out = best_move;
    return r;
}

// A new best score r of root move i, not yet taken into the window.
void note_root_best(int i, int r, bool researched)
{
    if (root_first == 0) report_event({SearchEvent::NEW_BEST, r, root_list[i].move, researched});
}

bool root_move_allowed(Move m)
{
    if (root_moves_only_count <= 0) return true;
    for (int i = 0; i < root_moves_only_count && i < ROOT_LIST_SIZE; ++i) {
        const Move r = root_moves_only[i];
        if (move_from(r) == move_from(m) && move_to(r) == move_to(m) &&
            move_promotion(r) == move_promotion(m))
            return true;
    }
    return false;
}

// Fills the root list from the generators, legal moves only, ordered. The list holds at most
// 218 moves (the most any legal position has); the copy is still bounded by the array.
void build_root_list()
{
    ply_start[0] = 0;
    if (in_check())
        genere_evasions(0);
    else
        genere_all_moves(0);
    ordonne_precis(0);
    sort_list(0);
    root_count = 0;
    const int listed = std::min(ply_start[1] - ply_start[0], ROOT_LIST_SIZE);
    for (int i = 0; i < listed; ++i)
        if (root_move_allowed(move_stack[i].move))
            root_list[root_count++] = RootEntry{move_stack[i].move, 0};
}

// The starting point of the deepening from the position's cell, if any: the depth to start at,
// and the score and move of the last think of this position when its result is trustworthy.
int start_from_cell(Move* best, bool ponder)
{
    HashEntry cell;
    const bool found = hash_find(&cell) != nullptr;
    ply_info[0].hash_move = found ? cell.packed & MOVE_MASK : 0;
    last_score = -MAX_SCORE;
    *best = 0;
    if (!found) return 1;
    if (!ponder && (cell.packed & BOUND_BITS) != BOUND_EXACT) return 1;
    hash_take_root_entry(&cell);
    last_score = cell.score;
    *best = cell.packed & MOVE_MASK;
    return std::max(1, (cell.depth & 0x7fff) / ONE_PLY);
}

// The aspiration search of one iteration around `last_score`, widening 30, 120, then to the
// bound. A re-search that fails the other way is accepted as it is.
int aspiration_search(Move* best, Move* prev_best, int* prev_score, int depth)
{
    if (last_score == -MAX_SCORE) return RootSearch(best, -MAX_SCORE, MAX_SCORE, depth);
    int delta = ASPIRATION_DELTA;
    int alpha = last_score - delta, beta = last_score + delta;
    int r = RootSearch(best, alpha, beta, depth);
    if (r >= beta) {
        while (r >= beta && !search_stopped) {
            report_event({SearchEvent::FAIL_HIGH, r});
            delta *= 4;
            alpha = r;
            beta = delta > WIDEST_DELTA ? MAX_SCORE : r + delta;
            *prev_best = *best;
            *prev_score = r;
            sort_root_list();
            r = RootSearch(best, alpha, beta, depth);
        }
    } else if (r <= alpha) {
        root_fail_flags |= FAIL_LOW_RESEARCH;
        while (r <= alpha && !search_stopped) {
            report_event({SearchEvent::FAIL_LOW, r});
            delta *= 4;
            beta = r;
            alpha = delta > WIDEST_DELTA ? -MAX_SCORE : r - delta;
            sort_root_list();
            r = RootSearch(best, alpha, beta, depth);
        }
        root_fail_flags &= ~FAIL_LOW_RESEARCH;
    }
    return r;
}

// Starts the per-think records of the calling thread as the main thread's think starts its own.
void start_think_records()
{
    root_side = trait;
    clear_statistics();
    tag_counter = 0;
    root_fail_flags = 0;
    root_first = 0;
    clear_root_lines();
    root_ply = ply;
}

// The iteration of depth d over the sorted root list; when it ends with no best move, the last
// iteration's move and score stand. False when the search was stopped.
bool search_iteration(int d, Move* best)
{
    iteration_depth = d;
    Move prev_best = *best;
    int prev_score = last_score;
    sort_root_list();
    last_score = aspiration_search(best, &prev_best, &prev_score, d * ONE_PLY);
    if (*best == 0) {
        *best = prev_best;
        last_score = prev_score;
    }
    return search_stopped == 0;
}

// A mate found within the depth: deeper iterations cannot change it.
bool mate_within(int d)
{
    return last_score >= MAX_SCORE - d || last_score <= d - MAX_SCORE;
}

// Iterative deepening from depth d until a limit, a stop or a mate within the depth.
Move deepen(int d, Move best)
{
    for (;; ++d) {
        iteration_depth = d;
        if (!may_start_iteration() || !search_iteration(d, &best)) break;
        if (multipv_lines > 1 && !search_other_lines(&best, d * ONE_PLY)) break;
        report_event({SearchEvent::ITERATION, last_score});
        if (mate_within(d)) break;
    }
    return best;
}

}  // namespace

void sort_root_list()
{
    for (int i = 1; i < root_count; ++i) {
        const RootEntry e = root_list[i];
        int j = i;
        for (; j > 0 && e.weight > root_list[j - 1].weight; --j) root_list[j] = root_list[j - 1];
        root_list[j] = e;
    }
}

namespace {

Move think_from_root()
{
    if (!analyse_mode && search_link.book_move != nullptr) {
        const Move m = search_link.book_move();
        if (m != 0 && root_move_allowed(m)) {  // a restricted think keeps to its moves
            last_score = 0;
            return m;
        }
    }
    advance_hash_age();
    clear_helper_nodes();
    start_think_records();
    Move best = 0;
    const int start_depth = start_from_cell(&best, ponder_search != 0);
    iteration_depth = start_depth;
    search_start = clock_now();
    build_root_list();
    if (root_count == 0) {
        // Mate or stalemate: nothing to search, and no move to play.
        last_score = in_check() ? -MAX_SCORE : draw_score();
        search_start = 0;
        return 0;
    }
    report_event({SearchEvent::FIRST_MOVE, 0, root_list[0].move});
    if (root_count == 1 && is_clock_mode(time_control_mode) && !analyse_mode) {
        last_score = 0;
        return root_list[0].move;
    }
    // Helpers go on deepening until the main thread stops them: at a depth limit of the think,
    // a helper that stopped there would leave its core idle while the main thread finishes. A
    // weakened think runs alone: deeper results in the shared table would undo its depth limit.
    if (skill_margin == 0) start_helpers(std::max<int>(max_depth, DEFAULT_MAX_DEPTH));
    best = deepen(start_depth, best);
    stop_helpers();
    if (skill_margin > 0) best = weaker_choice(best);
    // Stopped before any root move was searched: the best-ordered one rather than no move.
    if (best == 0) best = root_list[0].move;
    search_start = clock_now() - search_start;
    report_event({SearchEvent::THINK_END});
    return best;
}

// Whether helper k searches iteration d. Helpers skip iterations in blocks that grow with their
// number, each from its own phase, so that at any moment the threads spread over the next few
// depths instead of all repeating the main thread's: one helper takes the odd depths, two and
// three alternate by pairs, and so on.
bool helper_searches_depth(int k, int d)
{
    const int block = std::bit_width(static_cast<unsigned>(k));
    return ((d + k) / block) % 2 == 0;
}

}  // namespace

void think_as_helper(int depth_limit)
{
    start_think_records();
    Move best = 0;
    start_from_cell(&best, false);
    last_score = -MAX_SCORE;
    build_root_list();
    for (int d = 1; d <= depth_limit && !helper_must_stop(own_node_total()); ++d) {
        if (!helper_searches_depth(helper_number, d)) continue;
        if (!search_iteration(d, &best) || mate_within(d)) break;
    }
    helper_must_stop(own_node_total());
}

Move Reflexion()
{
    // A think starts from its position's stored result and leaves its own there, both right only
    // for the whole move list: a restricted think neither takes one over nor leaves one behind.
    const bool restricted = root_moves_only_count > 0;
    if (restricted) hash_forget_position();
    const Move m = think_from_root();
    if (restricted) hash_forget_position();
    return m;
}

Move Reflexion(const SearchLimits& limits)
{
    install_limits(limits);
    return Reflexion();
}

int RootSearch(Move* out, int alpha, int beta, int depth)
{
    iteration_depth = depth / ONE_PLY;
    killers[1].move1 = killers[1].move2 = 0;
    search_stopped = 0;
    const int first = root_first;
    root_index = first;
    root_alpha = alpha;
    root_beta = beta;
    Move best_move = 0;

    int r = search_root_move(first, alpha, beta, depth, 0);
    if (search_stopped) {
        *out = 0;
        return 0;
    }
    note_root_best(first, r, false);
    if (r <= root_alpha) {
        root_fail_flags |= BEST_AT_OR_BELOW_ALPHA;
    } else {
        root_fail_flags &= ~BEST_AT_OR_BELOW_ALPHA;
        best_move = root_list[first].move;
        if (tag_of(first) == 0) {
            tag_counter = 1;
            set_tag(first, 1);
        }
    }
    int best = r;
    if (raise_alpha(r, alpha, beta)) return fail_high(best_move, r, depth, out);

    for (int i = first + 1; i < root_count; ++i) {
        root_index = i;
        const Move m = root_list[i].move;
        r = search_root_move(i, alpha, alpha + 1, depth, 1);
        const bool researched = alpha < r && r < beta && !search_stopped;
        if (search_stopped) {
            *out = best > root_alpha ? best_move : 0;
            if (best <= root_alpha) return 0;
            store_root(best_move, best, depth, BOUND_LOWER);
            return best;
        }
        if (r > best) {
            note_root_best(i, r, researched);
            if (r > root_alpha) {
                root_fail_flags &= ~BEST_AT_OR_BELOW_ALPHA;
                apply_tag_rule(i);
                best_move = m;
            } else {
                root_fail_flags |= BEST_AT_OR_BELOW_ALPHA;
            }
            best = r;
            if (raise_alpha(r, alpha, beta)) return fail_high(best_move, r, depth, out);
        }
        if (!researched) continue;
        r = search_root_move(i, r - 1, beta, depth, 0);
        if (search_stopped) {
            store_root(best_move, best, depth, BOUND_LOWER);
            *out = best_move;
            return best;
        }
        if (r > best) {
            note_root_best(i, r, false);
            best = r;
            if (raise_alpha(r, alpha, beta)) return fail_high(best_move, r, depth, out);
        }
    }
    *out = best_move;
    if (best > root_alpha) store_root(best_move, best, depth, BOUND_EXACT);
    return best;
}
