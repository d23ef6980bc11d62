// The running think's limits, the clock records, the allocation of a move's time and the poll:
// its limit tests, the question put to the front end about waiting input, and ponder hits. Only
// this file writes the limits' and the allocation's state (front ends hand it a limits value); the fixed-limit modes never read the clock
// records, and the clock modes act only through `time_operations`.
#include "search/clock.h"

#include <algorithm>
#include <cstdint>

#include "core/board.h"
#include "core/repetition.h"
#include "platform/platform.h"
#include "search/hash.h"
#include "search/limits.h"
#include "search/multipv.h"
#include "search/options.h"
#include "search/root.h"
#include "search/search.h"
#include "search/search_link.h"
#include "search/strength.h"
#include "search/think_info.h"
#include "search/threads.h"

int32_t time_control_mode = TC_TIME_PER_MOVE;
int32_t min_depth = DEFAULT_MIN_DEPTH;
int32_t max_depth = DEFAULT_MAX_DEPTH;
uint64_t max_nodes;
int32_t time_per_move_ms = DEFAULT_TIME_PER_MOVE;
int32_t moves_to_go = 0;

Pendule pendule[2];
TimeOperations time_operations;

int32_t base_allocation;
int32_t current_limit;
int32_t move_allocation;
int64_t clock_start;
int32_t allocation_side;
int32_t allocation_moves_left;
int32_t min_allocation = DEFAULT_MIN_ALLOCATION;
bool extension_allowed = true;

int32_t analyse_mode;
int32_t ponder_search;
int32_t ponder_hit;
Move predicted_move;

int64_t (*clock_source)() = now_ms;

void clear_clocks()
{
    pendule[0] = Pendule{};
    pendule[1] = Pendule{};
    time_operations = TimeOperations{};
}

void set_remaining(int colour, int32_t ms)
{
    pendule[colour].remaining = ms;
}

void set_increment(int colour, int32_t ms)
{
    pendule[colour].increment = ms;
}

void restart_move_clock()
{
    clock_start = clock_now();
}

// ---- clock modes ----------------------------------------------------------------------------

namespace {

int32_t remaining_of(int side)
{
    return pendule[colour_index(side)].remaining;
}

// The reply the engine expects to the opponent's last move. Inside a search (a ponder hit) the
// position is not the game's: the root list's leader, the last iteration's best, stands in for
// the table's move.
Move expected_reply(int game_ply)
{
    if (ply == game_ply) return hash_best_move();
    return root_count > 0 ? root_list[0].move : 0;
}

// The floor, then half the time when the expected reply recaptures on the square where the
// opponent has just captured: that move needs little thought.
int32_t finish_allocation(int64_t a, int game_ply)
{
    a = std::clamp<int64_t>(a, min_allocation, INT32_MAX);
    if (game_ply >= 1 && game_ply <= ply) {
        const Move last = etats[game_ply - 1].coup;
        const Move expected = expected_reply(game_ply);
        if (move_captured(last) != NO_TYPE && expected != 0 && move_to(expected) == move_to(last))
            a /= 2;
    }
    base_allocation = current_limit = static_cast<int32_t>(a);
    return current_limit;
}

// Doubles the limit; answers it while within four times the base and a share of what is left.
int32_t extend_limit(int side, int share)
{
    current_limit = static_cast<int32_t>(std::min<int64_t>(int64_t{current_limit} * 2, INT32_MAX));
    if (current_limit <= int64_t{base_allocation} * 4 &&
        current_limit <= remaining_of(side) / share)
        return current_limit;
    return 0;
}

}  // namespace

void set_level_ms(int32_t moves, int64_t base_ms, int64_t increment_ms)
{
    const int32_t n = std::max(moves, 0);
    const auto base = static_cast<int32_t>(std::clamp<int64_t>(base_ms, 0, MAX_CLOCK_MS));
    const auto inc = static_cast<int32_t>(std::clamp<int64_t>(increment_ms, 0, MAX_CLOCK_MS));
    for (Pendule& p : pendule) p = Pendule{n, base, inc, base};
    max_depth = DEFAULT_MAX_DEPTH;
    min_depth = DEFAULT_MIN_DEPTH;
    if (n != 0) {
        time_control_mode = TC_MOVES;
        time_operations = TimeOperations{alloc_moves, extend_control, iteration_time_test};
    } else if (inc == 0) {
        time_control_mode = TC_GAME;
        time_operations = TimeOperations{alloc_game, extend_game, iteration_time_test};
    } else {
        time_control_mode = TC_INCREMENT;
        time_operations = TimeOperations{alloc_increment, extend_control, iteration_time_test};
    }
}

void set_level_ms(SearchLimits* limits, int32_t moves, int64_t base_ms, int64_t increment_ms)
{
    set_level_ms(moves, base_ms, increment_ms);
    limits->mode = time_control_mode;
    limits->min_depth = min_depth;
    limits->max_depth = max_depth;
}

void install_limits(const SearchLimits& limits)
{
    time_control_mode = limits.mode;
    min_depth = limits.min_depth;
    max_depth = limits.max_depth;
    max_nodes = limits.max_nodes;
    min_allocation = limits.min_allocation;
    extension_allowed = limits.may_extend;
    time_per_move_ms = limits.time_per_move_ms;
    moves_to_go = limits.moves_to_go;
    analyse_mode = limits.analysis ? 1 : 0;
    ponder_search = limits.ponder ? 1 : 0;
    predicted_move = limits.predicted_move;
    ponder_hit = 0;
    root_moves_only_count = std::clamp(limits.root_move_count, 0, ROOT_LIST_SIZE);
    std::copy_n(limits.root_moves, root_moves_only_count, root_moves_only);
    multipv_lines = std::clamp(limits.multipv, 1, ROOT_LIST_SIZE);
    skill_margin = std::max(limits.skill_margin, 0);
    if (skill_margin > 0) seed_skill(limits.skill_seed);
}

void set_level(int32_t moves, int32_t base_seconds, int32_t increment_seconds)
{
    set_level_ms(moves, int64_t{base_seconds} * 1000, int64_t{increment_seconds} * 1000);
}

int32_t alloc_game(int side, int game_ply)
{
    return finish_allocation(int64_t{remaining_of(side)} / 40 - operator_time, game_ply);
}

// Short of four increments the move lives on the increment, but never on more than half of what
// is left: the increment is only added once the move is played, so a clock holding less than it
// would run out first.
int32_t alloc_increment(int side, int game_ply)
{
    const int64_t r = remaining_of(side);
    const int64_t inc = pendule[colour_index(side)].increment;
    const int64_t a =
        r > 4 * inc ? r / 40 - operator_time + inc : std::min(inc, r / 2) - operator_time;
    return finish_allocation(a, game_ply);
}

int32_t alloc_moves(int side, int game_ply)
{
    const int64_t r = remaining_of(side);
    const int32_t n = std::max(pendule[colour_index(side)].moves_per_control, 1);
    const int32_t left = moves_to_go > 0 ? moves_to_go : n - (game_ply / 2) % n;
    allocation_moves_left = left;
    // In 64 bits: a control (or a protocol's count) may be as large as an int holds.
    const int64_t a = left >= 8 ? r / std::min<int64_t>(int64_t{left} + 4, 40) : 2 * r / (3 * left);
    return finish_allocation(a - operator_time, game_ply);
}

int32_t extend_game(int side)
{
    return extend_limit(side, 8);
}

int32_t extend_control(int side)
{
    return extend_limit(side, 4);
}

bool iteration_time_test()
{
    return 3 * (clock_now() - clock_start) > 2 * int64_t{move_allocation};
}

void allocate_time(int side, int game_ply)
{
    if (is_clock_mode(time_control_mode) && time_operations.allocate != nullptr) {
        allocation_side = side;
        allocation_moves_left = 0;
        move_allocation = time_operations.allocate(side, game_ply);
        report_event({SearchEvent::ALLOCATION});
    }
    clock_start = clock_now();
}

void allocate_time(const SearchLimits& limits, int side, int game_ply)
{
    install_limits(limits);
    allocate_time(side, game_ply);
}

// The clock arithmetic saturates: an interface may set a clock to the largest number it likes.
void charge_clock(int side, int64_t elapsed)
{
    Pendule& p = pendule[colour_index(side)];
    int64_t remaining = p.remaining;
    if (!is_clock_mode(time_control_mode)) {
        remaining += elapsed;
    } else {
        remaining -= elapsed;
        // A new period starts once the moves of this one have been played.
        if (time_control_mode == TC_MOVES && p.moves_per_control > 0 &&
            (ply / 2 + 1) % p.moves_per_control == 0)
            remaining += p.base;
        if (time_control_mode == TC_INCREMENT) remaining += p.increment;
    }
    p.remaining = static_cast<int32_t>(std::clamp<int64_t>(remaining, INT32_MIN, INT32_MAX));
}

namespace {

// The clock modes stop once the minimum depth is passed and the allocation is spent; while the
// root fails low the allocation may first be extended. Short of the minimum depth a move still
// never takes half of what is left: a tree that deep may outlast the clock.
int clock_mode_limit()
{
    const int64_t elapsed = clock_now() - clock_start;
    if (iteration_depth <= min_depth) return elapsed >= remaining_of(root_side) / 2 ? 1 : 0;
    if (elapsed < move_allocation) return 0;
    if ((root_fail_flags & 3) != 0 && extension_allowed && time_operations.extend != nullptr)
        move_allocation = time_operations.extend(root_side);
    return elapsed >= move_allocation ? 1 : 0;
}

}  // namespace

int limits_reached()
{
    if (ponder_search || analyse_mode) return 0;
    switch (time_control_mode) {
        case TC_TIME_PER_MOVE:
            return clock_now() >= clock_start + time_per_move_ms ? 1 : 0;
        case TC_FIXED_NODES:
            return node_total() >= max_nodes ? 1 : 0;
        case TC_FIXED_DEPTH:
            return 0;  // the driver stops at the depth
        default:
            return is_clock_mode(time_control_mode) ? clock_mode_limit() : 0;
    }
}

// ---- input during a search ------------------------------------------------------------------

SearchLink search_link;

namespace {

// The opponent played the move the ponder search assumed: from now on it is the engine's own
// search, with the time of the move counted from here. 1 when it must end at once: a ponder
// search that already used one and a half times the budget.
int accept_ponder_hit()
{
    ponder_hit = 1;
    ponder_search = 0;
    allocate_time(root_side, root_ply);
    return is_clock_mode(time_control_mode) &&
                   2 * (clock_now() - search_start) > 3 * int64_t{move_allocation}
               ? 1
               : 0;
}

// What the front end makes of its waiting input: 1 when the search must stop.
int input_says_stop()
{
    if (search_link.input == nullptr) return 0;
    switch (search_link.input()) {
        case InputVerdict::STOP:
            return 1;
        case InputVerdict::PONDER_HIT:
            return accept_ponder_hit();
        default:
            return 0;
    }
}

}  // namespace

void poll()
{
    if (helper_number != 0) {
        if (helper_must_stop(own_node_total())) search_stopped = 1;
        return;
    }
    if (limits_reached() || input_says_stop()) search_stopped = 1;
}

bool may_start_iteration()
{
    const int32_t d = iteration_depth;
    if (ponder_search) return d <= max_depth;
    if (analyse_mode) return d <= max_depth || d <= min_depth;
    if (d <= min_depth) return true;
    if (d > max_depth) return false;
    if (is_clock_mode(time_control_mode) && time_operations.iteration_over != nullptr)
        return !time_operations.iteration_over();
    return true;
}
