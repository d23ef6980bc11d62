// Speed and strength of the whole search: fixed-depth thinks on middle-game positions, in nodes
// per second with their node total as a signature of the trees, and, on request, the tactical
// run over the Win-At-Chess positions at a fixed time per move.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "book/book.h"
#include "core/setup.h"
#include "eval/bitbases.h"
#include "frontend/startup.h"
#include "movegen/notation.h"
#include "frontend/think_lines.h"
#include "platform/platform.h"
#include "search/clock.h"
#include "search/hash.h"
#include "search/root.h"
#include "search/think_info.h"
#include "search/threads.h"

namespace {

// Processor time of this process in milliseconds: on a shared machine the wall time also
// counts the turns other programs take, the processor time only this one's work.
int64_t processor_ms()
{
    return static_cast<int64_t>(std::clock()) * 1000 / CLOCKS_PER_SEC;
}

// A think on empty caches with nothing printed (text mode without thinking output); the wall and
// processor time of the think alone, without the clearing, go to *elapsed_ms and *cpu_ms.
Move silent_think(int64_t* elapsed_ms = nullptr, int64_t* cpu_ms = nullptr)
{
    const uint32_t saved = mode_flags;
    mode_flags = MODE_TEXT;
    show_thinking = 0;
    use_book = 0;
    clear_caches();
    const int64_t start = now_ms(), cpu_start = processor_ms();
    const Move m = Reflexion();
    if (elapsed_ms != nullptr) *elapsed_ms = now_ms() - start;
    if (cpu_ms != nullptr) *cpu_ms = processor_ms() - cpu_start;
    mode_flags = saved;
    show_thinking = 1;
    return m;
}

double per_second(double count, int64_t ms)
{
    return count * 1000.0 / static_cast<double>(ms > 0 ? ms : 1);
}

// A move in standard algebraic notation reduced to what the engine's short form also writes:
// no check, mate or comment signs, no "=" before a promotion, no en-passant mark.
std::string bare_san(std::string san)
{
    const size_t ep = san.find("/ep");
    if (ep != std::string::npos) san.erase(ep);
    std::string out;
    for (char c : san)
        if (std::strchr("+#!?=", c) == nullptr) out += c;
    return out;
}

// True when the engine's move is one of the record's best moves (blank-separated, up to ';').
bool among_best(const std::string& best_moves, Move m)
{
    const std::string mine = bare_san(move_to_text(m, true));
    size_t at = 0;
    while (at < best_moves.size()) {
        const size_t end = std::min(best_moves.find(' ', at), best_moves.size());
        if (end > at && bare_san(best_moves.substr(at, end - at)) == mine) return true;
        at = end + 1;
    }
    return false;
}

// Middle-game positions of the Bratko-Kopec test for the speed of whole searches: none of them
// is a signature position, and each tree at the benchmark's depth has two to four million
// nodes, so the caches see far more positions than the processor's caches hold. The set-up
// echoes what follows the record's fields: the name after the semicolon.
constexpr const char* SEARCH_POSITIONS[] = {
    "2r1nrk1/p2q1ppp/bp1p4/n1pPp3/P1P1P3/2PBB1N1/4QPPP/R4RK1 w - - ; BK.11",
    "r3r1k1/ppqb1ppp/8/4p1NQ/8/2P5/PP3PPP/R3R1K1 b - - ; BK.12",
    "r2q1rk1/4bppp/p2p4/2pP4/3pP3/3Q4/PP1B1PPP/R3R1K1 w - - ; BK.13",
    "r2q1rk1/1ppnbppp/p2p1nb1/3Pp3/2P1P1P1/2N2N1P/PPB1QP2/R1B2RK1 b - - ; BK.17",
    "r1bq1rk1/pp2ppbp/2np2p1/2n5/P3PP2/N1P2N2/1PB3PP/R1B1QRK1 b - - ; BK.18",
    "r4k2/pb2bp1r/1p1qp2p/3pNp2/3P1P2/2N3P1/PPP1Q2P/2KRR3 w - - ; BK.20",
};
constexpr int SEARCH_POSITION_COUNT = sizeof SEARCH_POSITIONS / sizeof SEARCH_POSITIONS[0];

}  // namespace

// Fixed-depth thinks on the middle-game set, each on cleared caches: nodes, time and nodes per
// second per position, then the totals; the node total signs the trees (it must not move when
// only the speed changes). Expects the caches allocated and the static tables built.
void run_search_bench(int depth)
{
    init_bitbases();
    time_control_mode = TC_FIXED_DEPTH;
    min_depth = max_depth = depth;
    uint64_t total = 0;
    int64_t total_ms = 0, total_cpu_ms = 0;
    std::printf("search, fixed depth %d:\n", depth);
    for (int i = 0; i < SEARCH_POSITION_COUNT; ++i) {
        if (lit_fen(SEARCH_POSITIONS[i]) != 0) continue;
        int64_t elapsed = 0, cpu = 0;
        silent_think(&elapsed, &cpu);
        const uint32_t nodes = node_total();
        total += nodes;
        total_ms += elapsed;
        total_cpu_ms += cpu;
        std::printf("  %9u nodes in %6lld ms  %10.0f nodes / s\n", nodes,
                    static_cast<long long>(elapsed), per_second(nodes, elapsed));
    }
    std::printf("  total %llu nodes in %lld ms  %10.0f nodes / s\n",
                static_cast<unsigned long long>(total), static_cast<long long>(total_ms),
                per_second(static_cast<double>(total), total_ms));
    std::printf("  processor time %lld ms  %10.0f nodes / s\n",
                static_cast<long long>(total_cpu_ms),
                per_second(static_cast<double>(total), total_cpu_ms));
    std::printf("  node signature %llu\n", static_cast<unsigned long long>(total));
}

namespace {

struct DepthRun {
    uint64_t nodes;
    int64_t ms;
};

// Each middle-game position searched to `depth` on `threads` threads, on cleared caches.
std::vector<DepthRun> depth_runs(int threads, int depth)
{
    set_search_threads(threads, hash_budget_bytes(128));
    time_control_mode = TC_FIXED_DEPTH;
    min_depth = max_depth = depth;
    std::vector<DepthRun> runs;
    for (int i = 0; i < SEARCH_POSITION_COUNT; ++i) {
        if (lit_fen(SEARCH_POSITIONS[i]) != 0) continue;
        int64_t elapsed = 0;
        silent_think(&elapsed);
        runs.push_back({node_total(), std::max<int64_t>(elapsed, 1)});
    }
    return runs;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

// The middle-game set to the same depth on 1 thread, on 2 and on every core of the machine:
// wall time and nodes per second summed over the threads, and per count the ratios to one
// thread (nodes per second, and time to depth: above 1 is faster). A lazy shared-table search
// gains first in nodes per second; the time to depth shows how much of it the tree keeps.
void run_threads_bench(int depth)
{
    init_bitbases();
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<int> counts = {1, 2};
    if (cores > 2) counts.push_back(cores);
    std::printf("threads, fixed depth %d (%d cores here):\n", depth, cores);
    const std::vector<DepthRun> one = depth_runs(1, depth);
    for (int threads : counts) {
        const std::vector<DepthRun> runs = threads == 1 ? one : depth_runs(threads, depth);
        std::vector<double> speedups;
        uint64_t nodes = 0, one_nodes = 0;
        int64_t ms = 0, one_ms = 0;
        for (size_t i = 0; i < runs.size() && i < one.size(); ++i) {
            speedups.push_back(static_cast<double>(one[i].ms) / static_cast<double>(runs[i].ms));
            nodes += runs[i].nodes, ms += runs[i].ms;
            one_nodes += one[i].nodes, one_ms += one[i].ms;
        }
        const double nps = per_second(static_cast<double>(nodes), ms);
        std::printf("  %3d threads: %11llu nodes in %6lld ms  %10.0f nodes / s  x%.2f;"
                    "  time to depth x%.2f (median of the positions)\n",
                    threads, static_cast<unsigned long long>(nodes), static_cast<long long>(ms),
                    nps, nps / per_second(static_cast<double>(one_nodes), one_ms),
                    median(speedups));
    }
    set_search_threads(1, 0);
}

// The positions of an EPD file with "bm" operations, each searched for ms milliseconds; prints
// one line per position and the number solved. Returns 0, or 1 when the file cannot be read.
int run_wac_bench(const char* path, int ms)
{
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) {
        std::printf("cannot open %s\n", path);
        return 1;
    }
    init_bitbases();
    time_control_mode = TC_TIME_PER_MOVE;
    time_per_move_ms = ms;
    min_depth = DEFAULT_MIN_DEPTH;
    max_depth = DEFAULT_MAX_DEPTH;
    int solved = 0, tried = 0;
    char buffer[1024];
    while (std::fgets(buffer, sizeof buffer, f) != nullptr) {
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        const size_t bm = line.find(" bm ");
        if (bm == std::string::npos) continue;
        const size_t semicolon = line.find(';', bm);
        const std::string best = line.substr(bm + 4, semicolon - bm - 4);
        const size_t id = line.find("id \"");
        const std::string name =
            id == std::string::npos ? "?" : line.substr(id + 4, line.find('"', id + 4) - id - 4);
        if (lit_fen(line.substr(0, bm).c_str()) != 0) continue;
        allocate_time(1, 0);
        const Move m = silent_think();
        const bool ok = m != 0 && among_best(best, m);
        ++tried;
        solved += ok ? 1 : 0;
        std::printf("%-8s %-8s %s (bm %s)\n", name.c_str(), move_to_text(m, true),
                    ok ? "ok  " : "miss", best.c_str());
    }
    std::fclose(f);
    std::printf("solved %d / %d at %d ms per position\n", solved, tried, ms);
    return 0;
}
