// A UCI search: the limits of "go" turned into the engine's own clock modes, the think, the wait
// that ponder and infinite searches owe the interface, "bestmove" with the expected reply, and
// the "info" lines of the search. "bestmove" always names a legal move, or 0000 when there is
// none, and the game position is the same after a search as before it.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "caches/caches.h"
#include "core/board.h"
#include "core/makemove.h"
#include "frontend/uci.h"
#include "frontend/uci_internal.h"
#include "frontend/xboard.h"
#include "movegen/movegen.h"
#include "movegen/notation.h"
#include "search/clock.h"
#include "search/hash.h"
#include "search/limits.h"
#include "search/think_info.h"
#include "search/root.h"
#include "search/search.h"

namespace {

constexpr int WORD_SIZE = 128;
constexpr int PV_MOVES = 64;

// What "go" asked for; -1 where it said nothing.
struct GoLimits {
    int64_t time[2] = {-1, -1};  // [0] Black, [1] White, ms
    int64_t increment[2] = {0, 0};
    int64_t moves_to_control = 0;
    int64_t move_time = -1;
    int64_t depth = -1;
    int64_t nodes = -1;
    int64_t mate = -1;
    bool infinite = false;
    bool ponder = false;
};

int64_t number_after(const char** p)
{
    char word[WORD_SIZE];
    if (!next_word(p, word, sizeof word)) return 0;
    return std::strtoll(word, nullptr, 10);
}

// "searchmoves" takes every following word that is a move; only the legal ones restrict the
// search, and when none is legal the search keeps every move rather than having none to play.
void read_search_moves(const char** p, SearchLimits* limits)
{
    limits->root_move_count = 0;
    for (;;) {
        const char* before = *p;
        char word[WORD_SIZE];
        if (!next_word(p, word, sizeof word)) return;
        const Move m = text_to_move(word);
        if (m == 0) {
            *p = before;
            return;
        }
        if (limits->root_move_count < ROOT_LIST_SIZE && is_legal_move(m) != 0)
            limits->root_moves[limits->root_move_count++] = m;
    }
}

GoLimits parse_go(const char* args, SearchLimits* limits)
{
    GoLimits g;
    const char* p = args;
    char word[WORD_SIZE];
    while (next_word(&p, word, sizeof word)) {
        if (std::strcmp(word, "wtime") == 0) g.time[WHITE] = number_after(&p);
        else if (std::strcmp(word, "btime") == 0) g.time[BLACK] = number_after(&p);
        else if (std::strcmp(word, "winc") == 0) g.increment[WHITE] = number_after(&p);
        else if (std::strcmp(word, "binc") == 0) g.increment[BLACK] = number_after(&p);
        else if (std::strcmp(word, "movestogo") == 0) g.moves_to_control = number_after(&p);
        else if (std::strcmp(word, "movetime") == 0) g.move_time = number_after(&p);
        else if (std::strcmp(word, "depth") == 0) g.depth = number_after(&p);
        else if (std::strcmp(word, "nodes") == 0) g.nodes = number_after(&p);
        else if (std::strcmp(word, "mate") == 0) g.mate = number_after(&p);
        else if (std::strcmp(word, "infinite") == 0) g.infinite = true;
        else if (std::strcmp(word, "ponder") == 0) g.ponder = true;
        else if (std::strcmp(word, "searchmoves") == 0) read_search_moves(&p, limits);
    }
    return g;
}

int32_t clamp_ms(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, 0, MAX_CLOCK_MS));
}

int32_t clamp_depth(int64_t plies)
{
    return static_cast<int32_t>(std::clamp<int64_t>(plies, 1, DEFAULT_MAX_DEPTH));
}

// The clock as the interface states it: both sides' times and increments, and the moves to
// the next control when it counts them. The allocation then follows the engine's clock modes.
void set_clock(const GoLimits& g, SearchLimits* limits)
{
    const int c = colour_index(trait);
    const int32_t moves = static_cast<int32_t>(std::clamp<int64_t>(g.moves_to_control, 0, 1000));
    set_level_ms(limits, moves, clamp_ms(g.time[c]), clamp_ms(g.increment[c]));
    for (int side = 0; side < 2; ++side) {
        set_remaining(side, clamp_ms(g.time[side] < 0 ? g.time[c] : g.time[side]));
        set_increment(side, clamp_ms(g.increment[side]));
    }
    limits->moves_to_go = moves;
}

// The engine's limits for one "go"; a bare "go" searches until "stop".
void set_limits(const GoLimits& g, SearchLimits* limits)
{
    SearchLimits& l = *limits;
    const bool clock = g.time[colour_index(trait)] >= 0;
    if (g.depth >= 0 || g.mate > 0) {
        // A mate in n moves lies within 2n - 1 plies.
        l.min_depth = l.max_depth = clamp_depth(g.depth >= 0 ? g.depth : 2 * g.mate - 1);
        l.mode = TC_FIXED_DEPTH;
        clear_clocks();
    } else if (g.nodes >= 0) {
        l.max_nodes = static_cast<uint32_t>(std::clamp<int64_t>(g.nodes, 0, UINT32_MAX));
        l.mode = TC_FIXED_NODES;
        clear_clocks();
    } else if (g.move_time >= 0) {
        l.time_per_move_ms = clamp_ms(g.move_time);
        l.mode = TC_TIME_PER_MOVE;
        clear_clocks();
    } else if (clock) {
        set_clock(g, limits);
    }
    const bool limited = g.depth >= 0 || g.mate > 0 || g.nodes >= 0 || g.move_time >= 0 || clock;
    l.analysis = g.infinite || !limited;
    l.ponder = g.ponder;
}

// A legal move of the position, or 0.
Move first_legal_move()
{
    if (in_check())
        genere_evasions(0);
    else
        genere_all_moves(0);
    const int end = ply_start[1];
    for (int i = ply_start[0]; i < end; ++i) {
        const Move m = move_stack[i].move;
        make_move(m);
        const bool legal = !own_king_attacked_after_move();
        unmake_move(m);
        if (legal) return m;
    }
    return 0;
}

void uci_move_text(Move m, char* out)
{
    coordinate_text(m, out);
    for (char* c = out; *c != '\0'; ++c)
        if (*c >= 'A' && *c <= 'Z') *c = static_cast<char>(*c - 'A' + 'a');
}

// "bestmove" with the reply the table expects, when it has a legal one.
void print_best_move(Move m)
{
    if (m == 0 || is_legal_move(m) == 0) m = first_legal_move();
    if (m == 0) {
        std::printf("bestmove 0000\n");
        return;
    }
    char text[8], reply_text[8];
    uci_move_text(m, text);
    make_move(m);
    const Move reply = hash_best_move();
    const bool known = reply != 0 && ply < MAX_PLY_RECORDS - 1 && is_legal_move(reply) != 0;
    if (known) uci_move_text(reply, reply_text);
    unmake_move(m);
    if (known)
        std::printf("bestmove %s ponder %s\n", text, reply_text);
    else
        std::printf("bestmove %s\n", text);
}

// A ponder or infinite search that ended by itself still waits for "stop" or "ponderhit";
// "isready" is answered meanwhile and other lines are kept for later.
void wait_for_release()
{
    char line[UCI_LINE_SIZE];
    while (!uci_stop_received && !uci_ponderhit_received && !uci_quit_received) {
        if (!read_input_line(line)) {
            uci_quit_received = true;
            return;
        }
        const char* p = line;
        char word[WORD_SIZE];
        next_word(&p, word, sizeof word);
        if (std::strcmp(word, "isready") == 0)
            std::printf("readyok\n");
        else if (std::strcmp(word, "stop") == 0)
            uci_stop_received = true;
        else if (std::strcmp(word, "ponderhit") == 0)
            uci_ponderhit_received = true;
        else if (std::strcmp(word, "quit") == 0)
            uci_quit_received = true;
        else if (word[0] != '\0' && !defer_line(line))
            std::printf("info string too many commands waiting: %s is dropped\n", word);
    }
}

}  // namespace

void uci_go(const char* args)
{
    apply_pending_options();
    SearchLimits limits;
    const GoLimits g = parse_go(args, &limits);
    set_limits(g, &limits);
    const bool must_wait = limits.ponder || limits.analysis;
    uci_stop_received = uci_ponderhit_received = uci_quit_received = false;
    allocate_time(limits, trait, ply);
    const Move m = Reflexion(limits);
    if (must_wait) wait_for_release();
    print_best_move(m);
}

// ---- info lines -----------------------------------------------------------------------------

namespace {

void print_score(int score)
{
    if (score > MATE_BOUND)
        std::printf(" score mate %d", (MATE_SCORE - score + 2) / 2);
    else if (score < -MATE_BOUND)
        std::printf(" score mate -%d", (MATE_SCORE + score + 1) / 2);
    else
        std::printf(" score cp %d", score);
}

void print_pv_moves(const Move* moves, int count)
{
    for (int i = 0; i < count; ++i) {
        char text[8];
        uci_move_text(moves[i], text);
        std::printf(" %s", text);
    }
}

}  // namespace

void uci_report(const SearchReport& r)
{
    const SearchEvent event = r.event;
    const int score = r.score;
    const Move move = r.move;
    switch (event) {
        case SearchEvent::FIRST_MOVE:
        case SearchEvent::THINK_END:
        case SearchEvent::ALLOCATION:
        case SearchEvent::LAST_HEIGHT:
            return;  // console lines; UCI has no words for them
        default:
            break;
    }
    const int64_t ms = think_elapsed();
    const uint32_t nodes = node_total();
    std::printf("info depth %d seldepth %d", iteration_depth,
                std::max(reached_height(), static_cast<int>(iteration_depth)));
    print_score(score);
    if (event == SearchEvent::FAIL_HIGH) std::printf(" lowerbound");
    if (event == SearchEvent::FAIL_LOW) std::printf(" upperbound");
    std::printf(" nodes %u nps %llu time %lld hashfull %d pv", nodes,
                static_cast<unsigned long long>(uint64_t{nodes} * 1000 / uint64_t(std::max<int64_t>(ms, 1))),
                static_cast<long long>(ms), hash_permille_used());
    Move pv[PV_MOVES];
    if (event == SearchEvent::NEW_BEST) {
        pv[0] = move;
        make_move(move);
        const int count = 1 + collect_pv(pv + 1, PV_MOVES - 1);
        unmake_move(move);
        print_pv_moves(pv, count);
    } else {
        print_pv_moves(pv, collect_pv(pv, PV_MOVES));
    }
    std::printf("\n");
}
