// The search limits, the clock records, the allocation of a move's time and the poll's limit
// tests. Only this file writes the limits' and the allocation's state; the fixed-limit modes
// never read the clock records, and the clock modes act only through `time_operations`.
#include "search/clock.h"

#include <cstdio>

#include "core/board.h"
#include "frontend/settings.h"
#include "platform/platform.h"
#include "search/root.h"
#include "search/search.h"

int32_t time_control_mode = TC_TIME_PER_MOVE;
int32_t min_depth = DEFAULT_MIN_DEPTH;
int32_t max_depth = DEFAULT_MAX_DEPTH;
uint32_t max_nodes;
int32_t time_per_move_ms = DEFAULT_TIME_PER_MOVE;

Pendule pendule[2];
TimeOperations time_operations;

int32_t base_allocation;
int32_t current_limit;
int32_t move_allocation;
int64_t clock_start;

int32_t ponder_search;
int32_t ponder_hit;

int64_t (*clock_source)() = now_ms;

void clear_clocks()
{
    pendule[0] = Pendule{};
    pendule[1] = Pendule{};
    time_operations = TimeOperations{};
}

void allocate_time(int side, int game_ply)
{
    if (is_clock_mode(time_control_mode) && time_operations.allocate != nullptr) {
        const int32_t r = pendule[colour_index(side)].remaining;
        const int32_t s = r / 1000;
        std::printf("Temps: %2d:%2d:%2d (%d ms)\n", s / 3600, s / 60 % 60, s % 60, r);
        move_allocation = time_operations.allocate(side, game_ply);
        std::printf("Temps de reflexion : %d ms\n", move_allocation);
    }
    clock_start = clock_now();
}

void charge_clock(int side, int32_t elapsed)
{
    Pendule& p = pendule[colour_index(side)];
    if (!is_clock_mode(time_control_mode)) {
        p.remaining += elapsed;
        return;
    }
    p.remaining -= elapsed;
    // A new period starts once the moves of this one have been played.
    if (time_control_mode == TC_MOVES && p.moves_per_control > 0 &&
        (ply / 2 + 1) % p.moves_per_control == 0)
        p.remaining += p.base;
    if (time_control_mode == TC_INCREMENT) p.remaining += p.increment;
}

namespace {

// The clock modes stop once the minimum depth is passed and the allocation is spent; while the
// root fails low the allocation may first be extended.
int clock_mode_limit()
{
    if (iteration_depth <= min_depth) return 0;
    const int64_t elapsed = clock_now() - clock_start;
    if (elapsed < move_allocation) return 0;
    if ((root_fail_flags & 3) != 0 && time_operations.extend != nullptr)
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

void poll()
{
    // The input read during a search joins the limits here when the protocol loop lands.
    if (limits_reached()) search_stopped = 1;
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
