// A UCI search: the limits of "go" turned into the engine's own clock modes, the think, the wait
// that ponder and infinite searches owe the interface, "bestmove" with the expected reply, and
// the "info" lines of the search. "bestmove" always names a legal move, or 0000 when there is
// none or no position, and the game position is the same after a search as before it. Every
// limit "go" gives ends the search: a missing or negative value never turns it into an endless
// one, and the interface's lag (Move Overhead) is kept back from every budget.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "book/book.h"
#include "book/polyglot_book.h"
#include "caches/caches.h"
#include "core/board.h"
#include "core/makemove.h"
#include "frontend/uci.h"
#include "frontend/uci_internal.h"
#include "frontend/uci_strength.h"
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
// The budget of a move whose clock "go" leaves out while it names other clock values.
constexpr int64_t SHORT_BUDGET_MS = 100;
// A clocked move searches from the first iteration on within its allocation: the fixed minimum
// depth of the other modes may outlast a short clock.
constexpr int32_t CLOCK_MIN_DEPTH = 1;
// The lag is paid again on every move: the clock keeps it back for this many moves to come,
// less what their increments bring back.
constexpr int64_t LAG_MOVES = 30;
// Below this much time a failing move gets no extension: doubling its budget a few times would
// take a large share of a short clock.
constexpr int64_t EXTENSION_FLOOR_MS = 4000;

constexpr int64_t NOT_GIVEN = INT64_MIN;

// What "go" asked for; NOT_GIVEN where it said nothing. A keyword without its number counts as
// given with 0.
struct GoLimits {
    int64_t time[2] = {NOT_GIVEN, NOT_GIVEN};  // [0] Black, [1] White, ms
    int64_t increment[2] = {0, 0};
    int64_t moves_to_control = 0;
    int64_t move_time = NOT_GIVEN;
    int64_t depth = NOT_GIVEN;
    int64_t nodes = NOT_GIVEN;
    int64_t mate = NOT_GIVEN;
    int64_t perft = NOT_GIVEN;
    bool clock_words = false;  // some clock value was named, the mover's or not
    bool infinite = false;
    bool ponder = false;
};

bool given(int64_t v)
{
    return v != NOT_GIVEN;
}

// The number after a keyword, or 0 when the next word is not one (it is then left unread, so a
// missing value never swallows the next keyword).
int64_t number_after(const char** p)
{
    const char* before = *p;
    char word[WORD_SIZE];
    if (!next_word(p, word, sizeof word)) return 0;
    char* end = nullptr;
    const long long v = std::strtoll(word, &end, 10);
    if (end == word || *end != '\0') {
        *p = before;
        return 0;
    }
    return v;
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
        const bool clock_word = std::strcmp(word, "wtime") == 0 ||
                                std::strcmp(word, "btime") == 0 || std::strcmp(word, "winc") == 0 ||
                                std::strcmp(word, "binc") == 0 ||
                                std::strcmp(word, "movestogo") == 0;
        g.clock_words = g.clock_words || clock_word;
        if (std::strcmp(word, "wtime") == 0) g.time[WHITE] = number_after(&p);
        else if (std::strcmp(word, "btime") == 0) g.time[BLACK] = number_after(&p);
        else if (std::strcmp(word, "winc") == 0) g.increment[WHITE] = number_after(&p);
        else if (std::strcmp(word, "binc") == 0) g.increment[BLACK] = number_after(&p);
        else if (std::strcmp(word, "movestogo") == 0) g.moves_to_control = number_after(&p);
        else if (std::strcmp(word, "movetime") == 0) g.move_time = number_after(&p);
        else if (std::strcmp(word, "depth") == 0) g.depth = number_after(&p);
        else if (std::strcmp(word, "nodes") == 0) g.nodes = number_after(&p);
        else if (std::strcmp(word, "mate") == 0) g.mate = number_after(&p);
        else if (std::strcmp(word, "perft") == 0)
            g.perft = number_after(&p);
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

// A budget with the interface's lag kept back; a negative one is spent at once.
int32_t net_ms(int64_t v)
{
    return clamp_ms(v - move_overhead_ms);
}

// The lag the interface adds to each move, as the clock shows it: from one move of the engine
// to its next, the clock loses what the engine spent by its own count plus that lag. The
// estimate takes the largest lag at once and forgets it slowly; Move Overhead is its floor.
struct ClockedMove {
    bool valid = false;
    int32_t ply = 0;
    int32_t side = 0;
    int64_t time = 0;  // the clock "go" gave, ms
    int64_t increment = 0;
    int64_t spent = 0;  // from "go" to "bestmove" by the engine's own clock
};
ClockedMove last_clocked;
int64_t lag_estimate = 0;
constexpr int64_t MAX_LAG_ESTIMATE = 1000;
constexpr int64_t LAG_FORGETTING = 8;  // each move forgets an eighth of the excess

int64_t lag_ms()
{
    return std::max<int64_t>(move_overhead_ms, lag_estimate);
}

void learn_lag(const GoLimits& g)
{
    const int c = colour_index(trait);
    if (!last_clocked.valid || last_clocked.side != trait || ply != last_clocked.ply + 2) return;
    const int64_t observed = std::clamp<int64_t>(
        last_clocked.time + last_clocked.increment - g.time[c] - last_clocked.spent, 0,
        MAX_LAG_ESTIMATE);
    lag_estimate = observed >= lag_estimate
                       ? observed
                       : lag_estimate - (lag_estimate - observed) / LAG_FORGETTING;
}

// What a clock holds once the lag of this move and of the next ones before the control (when
// the interface counts them) is kept back.
int32_t net_clock_ms(int64_t time, int64_t increment, int32_t moves)
{
    const int64_t lag = lag_ms();
    const int64_t later = moves > 0 ? std::min<int64_t>(moves - 1, LAG_MOVES) : LAG_MOVES;
    return clamp_ms(time - lag - std::max<int64_t>(lag - increment, 0) * later);
}

// The clock as the interface states it, the lag kept back: both sides' times and increments,
// and the moves to the next control when it counts them. The allocation then follows the
// engine's clock modes, with neither a floor per move nor a minimum depth, which on a short
// clock would spend more than is left.
void set_clock(const GoLimits& g, SearchLimits* limits)
{
    const int c = colour_index(trait);
    const int32_t moves = static_cast<int32_t>(std::clamp<int64_t>(g.moves_to_control, 0, 1000));
    const int32_t own = net_clock_ms(g.time[c], g.increment[c], moves);
    set_level_ms(limits, moves, own, clamp_ms(g.increment[c]));
    for (int side = 0; side < 2; ++side) {
        const int64_t time = given(g.time[side]) ? g.time[side] : g.time[c];
        set_remaining(side, net_clock_ms(time, g.increment[side], moves));
        set_increment(side, clamp_ms(g.increment[side]));
    }
    limits->moves_to_go = moves;
    limits->min_depth = CLOCK_MIN_DEPTH;
    limits->min_allocation = 0;
    limits->may_extend = own >= EXTENSION_FLOOR_MS;
}

void set_time_per_move(int64_t ms, SearchLimits* limits)
{
    limits->time_per_move_ms = net_ms(ms);
    limits->mode = TC_TIME_PER_MOVE;
    clear_clocks();
}

// The engine's limits for one "go"; a "go" that names no limit searches until "stop". Without
// the mover's own clock, clock values of the other side alone give a short fixed budget.
void set_limits(const GoLimits& g, SearchLimits* limits)
{
    SearchLimits& l = *limits;
    if (given(g.depth) || given(g.mate)) {
        // A mate in n moves lies within 2n - 1 plies.
        l.min_depth = l.max_depth = clamp_depth(given(g.depth) ? g.depth : 2 * g.mate - 1);
        l.mode = TC_FIXED_DEPTH;
        clear_clocks();
    } else if (given(g.nodes)) {
        l.max_nodes = static_cast<uint64_t>(std::max<int64_t>(g.nodes, 0));
        l.mode = TC_FIXED_NODES;
        clear_clocks();
    } else if (given(g.move_time)) {
        set_time_per_move(g.move_time, limits);
    } else if (given(g.time[colour_index(trait)])) {
        set_clock(g, limits);
    } else if (g.clock_words) {
        set_time_per_move(SHORT_BUDGET_MS, limits);
    }
    const bool limited =
        given(g.depth) || given(g.mate) || given(g.nodes) || given(g.move_time) || g.clock_words;
    l.analysis = g.infinite || !limited;
    l.ponder = g.ponder;
}

// A legal move of the position, or 0.
Move first_legal_move()
{
    const std::vector<Move> moves = legal_moves_at(0);
    return moves.empty() ? 0 : moves.front();
}

}  // namespace

void uci_move_text(Move m, char* out)
{
    coordinate_text(m, out);
    for (char* c = out; *c != '\0'; ++c)
        if (*c >= 'A' && *c <= 'Z') *c = static_cast<char>(*c - 'A' + 'a');
}

namespace {

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

// The book's answer of the current think, noted on its way to the search.
Move (*book_source)() = nullptr;
Move book_answer = 0;

Move noting_book_move()
{
    book_answer = book_source != nullptr ? book_source() : 0;
    return book_answer;
}

// A book move gets its line too, at depth 0 with the book's value of the position it leads to
// (as the book's choice reads it: for the side that plays it). A Polyglot book keeps no values:
// its moves score 0.
void print_book_line(Move m)
{
    char text[8];
    uci_move_text(m, text);
    const int side = trait;
    int record = -1;
    if (!polyglot_book_in_use()) {
        make_move(m);
        record = book_lookup();
        unmake_move(m);
    }
    const int score = record >= 0 ? book_table[record].score * side : 0;
    std::printf("info depth 0 score cp %d nodes 0 time 0 pv %s\n", score, text);
}

// The think itself, with the book's answer noted; 0 when there is no move.
Move uci_think(const SearchLimits& limits)
{
    book_source = search_link.book_move;
    book_answer = 0;
    if (book_source != nullptr) search_link.book_move = noting_book_move;
    const Move m = Reflexion(limits);
    search_link.book_move = book_source;
    if (m != 0 && m == book_answer) print_book_line(m);
    // Mated or stalemated at the root: the score is all there is to report.
    if (m == 0 && first_legal_move() == 0)
        std::printf("info depth 0 score %s\n", in_check() ? "mate 0" : "cp 0");
    return m;
}

}  // namespace

void uci_go(const char* args)
{
    apply_pending_options();
    SearchLimits limits;
    const GoLimits g = parse_go(args, &limits);
    if (given(g.perft)) {
        if (uci_position_set)
            uci_perft(g.perft);
        else
            std::printf("info string no position: the last position command was refused\n");
        return;
    }
    const int64_t go_start = clock_now();
    const bool clocked = given(g.time[colour_index(trait)]) && !given(g.depth) &&
                         !given(g.mate) && !given(g.nodes) && !given(g.move_time) && !g.ponder &&
                         !g.infinite;
    if (clocked) learn_lag(g);
    set_limits(g, &limits);
    apply_strength(&limits);
    const bool must_wait = limits.ponder || limits.analysis;
    uci_stop_received = uci_ponderhit_received = uci_quit_received = false;
    allocate_time(limits, trait, ply);
    Move m = 0;
    if (uci_position_set)
        m = uci_think(limits);
    else
        std::printf("info string no position: the last position command was refused\n");
    if (must_wait) wait_for_release();
    if (uci_position_set)
        print_best_move(m);
    else
        std::printf("bestmove 0000\n");
    last_clocked = ClockedMove{clocked && uci_position_set, ply, trait,
                               g.time[colour_index(trait)], g.increment[colour_index(trait)],
                               clock_now() - go_start};
}

// ---- info lines -----------------------------------------------------------------------------

namespace {

// Once a search has run this long, the root move it is on is reported as it changes.
constexpr int64_t CURRMOVE_AFTER_MS = 1000;
int32_t reported_depth = -1;
int32_t reported_index = -1;

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

void print_counts(uint64_t nodes, int64_t ms)
{
    // The rate in floating point: nodes times 1000 would wrap long before the count itself.
    const double rate =
        static_cast<double>(nodes) * 1000.0 / static_cast<double>(std::max<int64_t>(ms, 1));
    std::printf(" nodes %llu nps %llu time %lld hashfull %d pv",
                static_cast<unsigned long long>(nodes), static_cast<unsigned long long>(rate),
                static_cast<long long>(ms), hash_permille_used());
}

int seldepth()
{
    return std::max(reached_height(), static_cast<int>(iteration_depth));
}

// With several lines asked for, an iteration is shown by its lines alone, once all are known;
// the lines searched beyond those asked for (a weaker level's) are not shown.
void print_root_line(const SearchReport& r)
{
    if (multipv_option <= 1 || r.line > multipv_option) return;
    std::printf("info multipv %d depth %d seldepth %d", r.line, iteration_depth, seldepth());
    print_score(r.score);
    print_counts(node_total(), think_elapsed());
    print_pv_moves(r.pv, r.pv_length);
    std::printf("\n");
}

}  // namespace

void report_current_move()
{
    if (root_index < 0 || root_index >= root_count) return;
    if (think_elapsed() < CURRMOVE_AFTER_MS) return;
    if (iteration_depth == reported_depth && root_index == reported_index) return;
    reported_depth = iteration_depth;
    reported_index = root_index;
    char text[8];
    uci_move_text(root_list[root_index].move, text);
    std::printf("info depth %d currmove %s currmovenumber %d\n", iteration_depth, text,
                root_index + 1);
}

void uci_report(const SearchReport& r)
{
    const SearchEvent event = r.event;
    const int score = r.score;
    const Move move = r.move;
    switch (event) {
        case SearchEvent::THINK_END:
        case SearchEvent::ALLOCATION:
        case SearchEvent::LAST_HEIGHT:
            return;  // console lines; UCI has no words for them
        default:
            break;
    }
    if (event == SearchEvent::FIRST_MOVE) {
        reported_depth = reported_index = -1;
        return;
    }
    if (event == SearchEvent::ROOT_LINE) {
        print_root_line(r);
        return;
    }
    if (multipv_option > 1) return;
    std::printf("info depth %d seldepth %d", iteration_depth, seldepth());
    print_score(score);
    if (event == SearchEvent::FAIL_HIGH) std::printf(" lowerbound");
    if (event == SearchEvent::FAIL_LOW) std::printf(" upperbound");
    print_counts(node_total(), think_elapsed());
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
