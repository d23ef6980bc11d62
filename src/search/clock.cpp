// The search limits, the clock records, the allocation of a move's time and the poll: its limit
// tests, the input read during a search and ponder hits. Only this file writes the limits' and
// the allocation's state; the fixed-limit modes never read the clock records, and the clock
// modes act only through `time_operations`. The poll never blocks and never reads onto a
// complete pending line.
#include "search/clock.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "core/board.h"
#include "frontend/commands.h"
#include "frontend/display.h"
#include "frontend/settings.h"
#include "frontend/startup.h"
#include "frontend/xboard.h"
#include "movegen/notation.h"
#include "platform/platform.h"
#include "search/hash.h"
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
Move predicted_move;
int32_t stdin_is_pipe = 1;

int64_t (*clock_source)() = now_ms;

void clear_clocks()
{
    pendule[0] = Pendule{};
    pendule[1] = Pendule{};
    time_operations = TimeOperations{};
}

// ---- clock modes ----------------------------------------------------------------------------

namespace {

constexpr int32_t MIN_ALLOCATION = 10;

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
    a = std::clamp<int64_t>(a, MIN_ALLOCATION, INT32_MAX);
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

void set_level(int32_t moves, int32_t base_seconds, int32_t increment_seconds)
{
    set_level_ms(moves, int64_t{base_seconds} * 1000, int64_t{increment_seconds} * 1000);
}

int32_t alloc_game(int side, int game_ply)
{
    return finish_allocation(int64_t{remaining_of(side)} / 40 - operator_time, game_ply);
}

int32_t alloc_increment(int side, int game_ply)
{
    const int64_t r = remaining_of(side);
    const int64_t inc = pendule[colour_index(side)].increment;
    const int64_t a = r > 4 * inc ? r / 40 - operator_time + inc : inc - operator_time;
    return finish_allocation(a, game_ply);
}

int32_t alloc_moves(int side, int game_ply)
{
    const int64_t r = remaining_of(side);
    const int32_t n = std::max(pendule[colour_index(side)].moves_per_control, 1);
    const int32_t left = n - (game_ply / 2) % n;
    std::printf("%d coups restants avant gain de temps\n", left);
    const int64_t a = left >= 8 ? r / std::min(left + 4, 40) : 2 * r / (3 * left);
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
        const int32_t r = pendule[colour_index(side)].remaining;
        const int32_t s = r / 1000;
        std::printf("Temps: %2d:%2d:%2d (%d ms)\n", s / 3600, s / 60 % 60, s % 60, r);
        move_allocation = time_operations.allocate(side, game_ply);
        std::printf("Temps de reflexion : %d ms\n", move_allocation);
    }
    clock_start = clock_now();
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

// ---- input during a search ------------------------------------------------------------------

void input_init()
{
    stdin_is_pipe = stdin_is_terminal() ? 0 : 1;
}

int input_available()
{
    return input_waiting() ? 1 : 0;
}

namespace {

constexpr int ESCAPE_KEY = 27;

// Typed and generated moves compare by squares and promotion: a line read deep in the tree is
// parsed against a board that is not the game's, so its piece types mean nothing.
bool same_move(Move a, Move b)
{
    return move_from(a) == move_from(b) && move_to(a) == move_to(b) &&
           move_promotion(a) == move_promotion(b);
}

// The opponent played the move the ponder search assumed: from now on it is the engine's own
// search, with the time of the move counted from here.
int ponder_hit_found()
{
    const char* text = move_to_text(predicted_move, false);
    if (text_mode())
        std::printf("===== %s =====\n", text);
    else
        std::printf(" Quarvelin ---( good predicted move: %s )---\n", text);
    ponder_hit = 1;
    take_pending_line();
    ponder_search = 0;
    allocate_time(root_side, root_ply);
    // A ponder search that already used one and a half times the budget ends at once.
    return is_clock_mode(time_control_mode) &&
                   2 * (clock_now() - search_start) > 3 * int64_t{move_allocation}
               ? 1
               : 0;
}

// A line that is not a move, read while pondering or analysing.
int command_during_search()
{
    if (settings_command(line_buffer)) {
        take_pending_line();
        return 0;
    }
    if (interrupting_command(line_buffer)) return 1;  // stays pending for the loop
    take_pending_line();
    return 0;
}

void print_analysis_status()
{
    char move[8] = "";
    if (root_index < root_count) coordinate_text(root_list[root_index].move, move);
    std::printf("stat01: %d %u %d %d %d %s\n", static_cast<int>((clock_now() - search_start) / 10),
                node_total(), iteration_depth, root_count - root_index - 1, root_count, move);
}

// A complete line read during the search: 1 when the search must stop for it.
int line_during_search()
{
    const Move m = text_to_move(line_buffer);
    if (analyse_mode) {
        if (m != 0) return 1;
        if (line_buffer[0] != '.') return command_during_search();
        print_analysis_status();
        take_pending_line();
        return 0;
    }
    if (ponder_search) {
        if (m != 0) return same_move(m, predicted_move) ? ponder_hit_found() : 1;
        return command_during_search();
    }
    if (line_buffer[0] != '?') return 0;  // performed by the loop once the move is played
    take_pending_line();
    return 1;
}

// Xboard mode: nothing is read while a complete line is pending. A line performed on the spot
// is followed at once by the next waiting one, so that the clock updates an interface sends
// with its move do not each wait for another poll. Once the input has ended, a ponder or
// analysis search stops at once, as it would for "quit".
int poll_command_line()
{
    while (!line_complete) {
        if (!input_ended && input_available() && gather_input_line(false) > 0)
            std::printf(" Quarvelin search < \"%s\"\n", line_buffer);
        if (!line_complete) return input_ended && (ponder_search || analyse_mode) ? 1 : 0;
        const int stop = line_during_search();
        if (stop || line_complete || ponder_hit) return stop;
    }
    return 0;
}

// Text mode: while pondering the keys build the opponent's move; otherwise a key shows where
// the search is, and Escape stops it.
int poll_keys()
{
    if (!key_pressed()) return 0;
    if (ponder_search) {
        const int key = read_key();
        if (key == ESCAPE_KEY) return 1;
        if (key == '\r' || key == '\n') {
            line_buffer[pending_input] = '\0';
            const Move m = text_to_move(line_buffer);
            return m != 0 && same_move(m, predicted_move) ? ponder_hit_found() : 1;
        }
        if (key >= 0 && pending_input < LINE_BUFFER_SIZE - 1)
            line_buffer[pending_input++] = static_cast<char>(key);
        line_buffer[pending_input] = '\0';
        return 0;
    }
    const int64_t elapsed = clock_now() - search_start;
    std::printf("\n<%2d %6u %8u > %d/%d", iteration_depth, static_cast<unsigned>(elapsed),
                node_total(), root_index + 1, root_count);
    if (elapsed > 100)
        std::printf(" (%.0lfK/s)",
                    static_cast<double>(node_total()) / static_cast<double>(elapsed));
    std::printf("\n");
    print_search_path();
    std::printf("\n");
    return read_key() == ESCAPE_KEY ? 1 : 0;
}

}  // namespace

void poll()
{
    if (limits_reached() || (text_mode() ? poll_keys() : poll_command_line())) search_stopped = 1;
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
