// Speed of the move machinery: perft from two fixed positions, reported as make_move calls, leaf
// nodes and nodes per second; and the entry of the benchmark program. Sets up the engine the way
// start-up does (default cache budget), without the console.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "core/makemove.h"
#include "core/setup.h"
#include "core/tables.h"
#include "frontend/perft.h"
#include "frontend/startup.h"
#include "platform/platform.h"
#include "search/hash.h"

namespace {

struct BenchCase {
    const char* name;
    const char* fen;
    int depth;
};

constexpr BenchCase CASES[] = {
    {"initial position", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", 6},
    {"r3k2r/p1ppqpb1 (castling, pins, promotions)",
     "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", 4},
};

// Runs c at its depth less `shallower` plies.
void run_case(const BenchCase& c, int shallower)
{
    if (lit_fen(c.fen) != 0) {
        std::printf("%s: position rejected\n", c.name);
        return;
    }
    make_move_calls = 0;
    interior_nodes = 0;
    leaf_nodes = 0;
    const int64_t start = now_ms();
    const std::clock_t cpu_start = std::clock();
    const int depth = c.depth - shallower;
    perft(depth, 0);
    const int64_t elapsed = now_ms() - start;
    const double cpu_seconds = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
    const double seconds = elapsed > 0 ? static_cast<double>(elapsed) / 1000.0 : 0.001;
    const double nodes = static_cast<double>(interior_nodes) + static_cast<double>(leaf_nodes);
    std::printf("%s, depth %d: %llu leaves in %lld ms\n", c.name, depth,
                static_cast<unsigned long long>(leaf_nodes),
                static_cast<long long>(elapsed));
    std::printf("  %12.0f make_move calls / s\n  %12.0f leaf nodes / s\n  %12.0f nodes / s\n",
                static_cast<double>(make_move_calls) / seconds,
                static_cast<double>(leaf_nodes) / seconds, nodes / seconds);
    if (cpu_seconds > 0)
        std::printf("  %12.0f leaf nodes / s of processor time\n",
                    static_cast<double>(leaf_nodes) / cpu_seconds);
}

}  // namespace

void run_eval_bench();                        // eval_bench.cpp
void run_search_bench(int depth);             // search_bench.cpp
void run_threads_bench(int depth);            // search_bench.cpp
int run_wac_bench(const char* path, int ms);  // search_bench.cpp

// The depth of the search benchmark: two to four million nodes per position.
constexpr int SEARCH_BENCH_DEPTH = 10;

// No argument: every speed benchmark. "perft [DEPTH]", "eval", "search [DEPTH]" or
// "threads [DEPTH]": one of them alone (perft from the initial position at DEPTH, the second
// position two plies less).
// "wac FILE [MS]": the tactical run over an EPD file.
int main(int argc, char** argv)
{
    mode_flags = MODE_XBOARD;  // keeps the set-up reports quiet
    int32_t sink = 0;
    estimated_cpu_speed = mesure_vitesse_cpu(10, &sink);  // sets the search's poll interval
    if (allocate_caches(hash_budget_bytes(128)) != 0) return EXIT_FAILURE;
    init_static_tables();
    nouvelle_partie();
    const char* only = argc >= 2 ? argv[1] : "";
    if (std::strcmp(only, "wac") == 0 && argc >= 3)
        return run_wac_bench(argv[2], argc >= 4 ? std::atoi(argv[3]) : 1000);
    const bool all = only[0] == 0;
    if (all || std::strcmp(only, "perft") == 0)
        for (const BenchCase& c : CASES)
            run_case(c, argc >= 3 ? std::max(0, CASES[0].depth - std::atoi(argv[2])) : 0);
    if (all || std::strcmp(only, "eval") == 0) run_eval_bench();
    if (all || std::strcmp(only, "search") == 0)
        run_search_bench(argc >= 3 ? std::atoi(argv[2]) : SEARCH_BENCH_DEPTH);
    if (all || std::strcmp(only, "threads") == 0)
        run_threads_bench(argc >= 3 ? std::atoi(argv[2]) : SEARCH_BENCH_DEPTH);
    return EXIT_SUCCESS;
}
