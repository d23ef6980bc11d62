// Speed and strength of the whole search: fixed-depth thinks on the signature positions, in
// nodes per second with their total node count (the figure the signature test pins), and, on
// request, the tactical run over the Win-At-Chess positions at a fixed time per move.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "../tests/search/signature_positions.h"
#include "book/book.h"
#include "core/setup.h"
#include "eval/bitbases.h"
#include "frontend/startup.h"
#include "movegen/notation.h"
#include "platform/platform.h"
#include "search/clock.h"
#include "search/hash.h"
#include "search/root.h"

namespace {

// A think on empty caches with nothing printed (text mode without thinking output).
Move silent_think()
{
    const uint32_t saved = mode_flags;
    mode_flags = MODE_TEXT;
    show_thinking = 0;
    use_book = 0;
    clear_caches();
    const Move m = Reflexion();
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

}  // namespace

// Expects the caches allocated and the static tables built.
void run_search_bench()
{
    init_bitbases();
    time_control_mode = TC_FIXED_DEPTH;
    min_depth = max_depth = SIGNATURE_DEPTH;
    uint64_t total = 0;
    int64_t total_ms = 0;
    std::printf("search, fixed depth %d:\n", SIGNATURE_DEPTH);
    for (int i = 0; i < SIGNATURE_COUNT; ++i) {
        if (lit_fen(SIGNATURE_POSITIONS[i]) != 0) continue;
        const int64_t start = now_ms();
        silent_think();
        const int64_t elapsed = now_ms() - start;
        const uint32_t nodes = node_total();
        total += nodes;
        total_ms += elapsed;
        std::printf("  %2d: %9u nodes in %6lld ms  %10.0f nodes / s\n", i + 1, nodes,
                    static_cast<long long>(elapsed), per_second(nodes, elapsed));
    }
    std::printf("  total %llu nodes in %lld ms  %10.0f nodes / s\n",
                static_cast<unsigned long long>(total), static_cast<long long>(total_ms),
                per_second(static_cast<double>(total), total_ms));
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
