// Speed of the static evaluation: full evaluations per second on middle-game and endgame
// positions. The position's evaluation cache cell is spoiled after every call, so each call
// computes the whole sum; the pawn, king and material caches keep working as in a search.
#include <cstdint>
#include <cstdio>

#include "core/setup.h"
#include "eval/bitbases.h"
#include "eval/evaluation.h"
#include "platform/platform.h"

namespace {

struct EvalBenchCase {
    const char* name;
    const char* fen;
};

constexpr EvalBenchCase EVAL_CASES[] = {
    {"initial position", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"},
    {"middle game, castled kings",
     "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP2BPPP/R2QKB1R w KQ -"},
    {"middle game, open lines", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -"},
    {"rook ending with passed pawns", "8/5pk1/6p1/1P6/r7/6P1/5PK1/R7 b - -"},
    {"minor pieces ending", "8/3k4/2p2n2/1p6/1P1B4/2P2K2/8/8 w - -"},
    {"pawn ending", "8/1p3k2/p7/P1P5/8/5K2/7p/8 w - -"},
};

constexpr int BATCH = 1000;
constexpr int64_t MIN_MS = 300;

void run_eval_case(const EvalBenchCase& c)
{
    if (lit_fen(c.fen) != 0) {
        std::printf("%s: position rejected\n", c.name);
        return;
    }
    EvalCell* cell = eval_cell();
    uint64_t calls = 0;
    int64_t sink = 0;
    const int64_t start = now_ms();
    int64_t elapsed = 0;
    do {
        for (int i = 0; i < BATCH; ++i) {
            sink += evaluation(-30000, 30000);
            cell->key1 = 0;
        }
        calls += BATCH;
        elapsed = now_ms() - start;
    } while (elapsed < MIN_MS);
    const double rate = static_cast<double>(calls) * 1000.0 / static_cast<double>(elapsed);
    std::printf("%s: evaluation %d, %llu calls in %lld ms\n  %12.0f evaluations / s\n", c.name,
                evaluation(-30000, 30000), static_cast<unsigned long long>(calls),
                static_cast<long long>(elapsed), rate);
    if (sink == INT64_MIN) std::printf("\n");  // keeps the summed results alive
}

}  // namespace

// Expects the caches allocated and the static tables built; solves the bit bases itself.
void run_eval_bench()
{
    init_bitbases();
    for (const EvalBenchCase& c : EVAL_CASES) run_eval_case(c);
}
