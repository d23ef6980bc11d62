// The "perf" suite. Each benchmark reads the clock right before its loop and right after it, and
// its loop calls the operation as the search does, adding only the cache clearing that makes
// every call compute afresh. Every move made is unmade and the key words borrowed by the
// transposition benchmark are put back, so the position record ends as it began.
#include "frontend/perf.h"

#include <cstdint>
#include <cstdio>

#include "core/board.h"
#include "core/makemove.h"
#include "eval/evaluation.h"
#include "eval/exchange.h"
#include "eval/kingsafety.h"
#include "eval/pawns.h"
#include "frontend/startup.h"
#include "movegen/movegen.h"
#include "platform/platform.h"
#include "search/hash.h"
#include "search/ordering.h"

namespace {

const char* const RULE = "----------------------------------------------------------";

constexpr int FULL_ALPHA = -30000;
constexpr int FULL_BETA = 30000;

// The transposition benchmark's store: what a full-width exact entry at height 1 looks like.
constexpr int HASH_HEIGHT = 1;
constexpr uint32_t HASH_DEPTH_FIELD = 32828;

// Results are summed here so that no loop's work is ever dead.
int64_t perf_sink;

// The repetition unit; a speed never measured (or nonsensical) runs nothing.
uint32_t speed()
{
    return estimated_cpu_speed > 0 ? static_cast<uint32_t>(estimated_cpu_speed) : 0;
}

uint32_t elapsed_since(int64_t start)
{
    return static_cast<uint32_t>(now_ms() - start);
}

// One report line; the rate uses the single-precision 0.001 widened, and 0 ms gives an infinite
// rate rather than a failure.
void report(const char* format, uint32_t count, uint32_t ms)
{
    const double rate = static_cast<double>(count) / (static_cast<double>(ms) * double{0.001f});
    std::printf(format, count, ms, rate);
}

// The cache cell a lookup for the current position would use: clearing its first key word
// makes that lookup miss.
void spoil_eval_cell()
{
    eval_cell()->key1 = 0;
}

PawnCell* pawn_cell()
{
    return &Pawn_hash_table[pos()->pawn_key.w[2] & pawn_hash_mask];
}

int root_moves()
{
    return ply_start[1] - ply_start[0];
}

void bench_evaluation()
{
    const uint32_t n = speed() * 100;
    EvalCell* cell = eval_cell();
    const int64_t start = now_ms();
    for (uint32_t i = 0; i < n; ++i) {
        perf_sink += evaluation(FULL_ALPHA, FULL_BETA);
        cell->key1 = 0;
    }
    report("%9u evaluation            - %5u ms - %9.0f/s\n", n, elapsed_since(start));
}

// Every root move made, followed by `between` and unmade, `passes` times over the list.
template <typename F>
void bench_root_moves(uint32_t passes, const char* format, F between)
{
    genere_all_moves(0);
    const int first = ply_start[0], end = ply_start[1];
    const int64_t start = now_ms();
    for (uint32_t p = 0; p < passes; ++p)
        for (int i = first; i < end; ++i) {
            make_move(move_stack[i].move);
            between();
            unmake_move(move_stack[i].move);
        }
    report(format, passes * uint32_t(end - first), elapsed_since(start));
}

void bench_move_unmove()
{
    bench_root_moves(speed() * 20, "%9u Move/UnMove           - %5u ms - %9.0f/s\n", [] {});
}

void bench_move_eval_unmove()
{
    bench_root_moves(speed() * 5, "%9u Move/Eval/UnMove      - %5u ms - %9.0f/s\n", [] {
        perf_sink += evaluation(FULL_ALPHA, FULL_BETA);
        spoil_eval_cell();
    });
}

// Reply number k mod (length) to the root move just made, evaluated and taken back. Only a
// legal root move gets a reply: after an illegal one the replies include taking the king.
void reply_and_evaluate(uint32_t k)
{
    if (own_king_attacked_after_move()) return;
    genere_all_moves(1);
    const int replies = ply_start[2] - ply_start[1];
    if (replies == 0) return;
    const Move r = move_stack[ply_start[1] + static_cast<int>(k % uint32_t(replies))].move;
    make_move(r);
    perf_sink += evaluation(FULL_ALPHA, FULL_BETA);
    if (k % 4 == 0) spoil_eval_cell();
    unmake_move(r);
}

void bench_tree()
{
    const uint32_t passes = speed() * 4;
    uint32_t counted = 0;
    const int64_t start = now_ms();
    for (uint32_t k = 0; k < passes; ++k) {
        genere_all_moves(0);
        for (int i = ply_start[0]; i < ply_start[1]; ++i) {
            const Move m = move_stack[i].move;
            make_move(m);
            reply_and_evaluate(k);
            unmake_move(m);
        }
        counted += uint32_t(root_moves());
    }
    report("%9u {Gen{Mv-Gen-Mv-Eva}}  - %5u ms - %9.0f/s\n", counted, elapsed_since(start));
}

void bench_pawns()
{
    const uint32_t n = speed() * 500;
    PawnCell* cell = pawn_cell();
    const int64_t start = now_ms();
    for (uint32_t i = 0; i < n; ++i) {
        perf_sink += evaluation_pions();
        cell->key1 = 0;
    }
    report("%9u evaluation_pions      - %5u ms - %9.0f/s\n", n, elapsed_since(start));
}

void bench_king_safety()
{
    const uint32_t n = speed() * 500;
    const int64_t start = now_ms();
    for (uint32_t i = 0; i < n; ++i) perf_sink += securite_roi(1) + securite_roi(-1);
    report("%9u securite_roi          - %5u ms - %9.0f/s\n", 2 * n, elapsed_since(start));
}

// The lazy bound always follows the pawn evaluation it reads the passed-pawn flags from.
void bench_lazy_bound(const char* format, int s)
{
    const uint32_t n = speed() * 4000;
    const int64_t start = now_ms();
    for (uint32_t i = 0; i < n; ++i) {
        perf_sink += evaluation_pions();
        perf_sink += lazy_bound(s);
    }
    report(format, n, elapsed_since(start));
}

// Spreads the stores over many buckets: word 0 (a lock) and word 2 (the index) of the key vary.
void set_hash_test_key(uint32_t i)
{
    pos()->hash_key.w[0] = i;
    pos()->hash_key.w[2] = (593 + 37 * i) % ((hash_mask + 4) / 8);
}

void bench_hash()
{
    const uint32_t n = speed() * 2000;
    const Key96 saved = pos()->hash_key;
    advance_hash_age();
    int64_t start = now_ms();
    for (uint32_t i = 0; i < n; ++i) {
        set_hash_test_key(i);
        hash_store(NULL_MOVE, 0, HASH_HEIGHT, HASH_DEPTH_FIELD, BOUND_EXACT);
    }
    report("%9u hash_store            - %5u ms - %9.0f/s\n", n, elapsed_since(start));
    Move move = NULL_MOVE;
    int score = 0;
    start = now_ms();
    for (uint32_t i = 0; i < n; ++i) {
        set_hash_test_key(i);
        perf_sink += hash_probe(&move, &score, HASH_HEIGHT, HASH_DEPTH_FIELD);
    }
    report("%9u hash_probe            - %5u ms - %9.0f/s\n", n, elapsed_since(start));
    pos()->hash_key.w[0] = saved.w[0];
    pos()->hash_key.w[2] = saved.w[2];
}

void bench_generators()
{
    uint32_t n = speed() * 500;
    int64_t start = now_ms();
    for (uint32_t i = 0; i < n; ++i) genere_all_moves(0);
    report("%9u genere_all_moves      - %5u ms - %9.0f/s\n", n, elapsed_since(start));
    n = speed() * 1000;
    start = now_ms();
    for (uint32_t i = 0; i < n; ++i) ply_start[1] = genere_captures(ply_start[0], 0);
    report("%9u genere_captures       - %5u ms - %9.0f/s\n", n, elapsed_since(start));
    n = speed() * 2000;
    start = now_ms();
    for (uint32_t i = 0; i < n; ++i) ply_start[1] = genere_echecs(ply_start[0]);
    report("%9u genere_echecs         - %5u ms - %9.0f/s\n", n, elapsed_since(start));
}

void bench_fight()
{
    const uint32_t n = speed() * 500;
    const int64_t start = now_ms();
    for (uint32_t i = 0; i < n; ++i) perf_sink += fight(1) + fight(-1);
    report("%9u fight                 - %5u ms - %9.0f/s\n", 2 * n, elapsed_since(start));
}

void bench_ordering()
{
    genere_all_moves(0);
    uint32_t n = speed() * 10;
    int64_t start = now_ms();
    for (uint32_t i = 0; i < n; ++i) ordonne_precis(0);
    report("%9u ordonne_precis        - %5u ms - %9.0f/s\n", n, elapsed_since(start));
    n = speed() * 100;
    start = now_ms();
    for (uint32_t i = 0; i < n; ++i) ordonne(0);
    report("%9u ordonne               - %5u ms - %9.0f/s\n", n, elapsed_since(start));
    ply_start[1] = genere_captures(ply_start[0], 0);
    n = speed() * 250;
    start = now_ms();
    for (uint32_t i = 0; i < n; ++i) ordonne_captures(0);
    report("%9u ordonne_captures      - %5u ms - %9.0f/s\n", n, elapsed_since(start));
}

}  // namespace

void run_perf_suite()
{
    std::printf("%s\n    Performances de Quarvelin sur la position courante\n%s\n", RULE, RULE);
    bench_evaluation();
    bench_move_unmove();
    bench_move_eval_unmove();
    bench_tree();
    bench_pawns();
    bench_king_safety();
    bench_lazy_bound("%9u minore_evaluation     - %5u ms - %9.0f/s\n", trait);
    bench_lazy_bound("%9u majore_evaluation     - %5u ms - %9.0f/s\n", -trait);
    bench_hash();
    bench_generators();
    bench_fight();
    bench_ordering();
    std::printf("%s\n", RULE);
}
