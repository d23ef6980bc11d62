// Perft and its report. Each position's moves come from the evasion generator when the side to
// move is in check and from the all-moves generator otherwise; every move is made, kept only when
// the mover's king is safe, and taken back, so the counts are exactly the legal paths.
#include "frontend/perft.h"

#include <algorithm>
#include <cstdio>

#include "core/board.h"
#include "core/makemove.h"
#include "movegen/movegen.h"
#include "platform/platform.h"

uint64_t interior_nodes;
uint64_t leaf_nodes;

namespace {

const char* const RULE =
    "---------------------------------------------------------------------------";

// The rate uses the single-precision 0.001, widened, so reports match to the last digit.
double per_second(uint64_t count, uint32_t elapsed_ms)
{
    return static_cast<double>(count) / (static_cast<double>(elapsed_ms) * double{0.001f});
}

}  // namespace

void perft(int depth, int p)
{
    if (depth < 1) {
        ++leaf_nodes;
        return;
    }
    ++interior_nodes;
    if (in_check())
        genere_evasions(p);
    else
        genere_all_moves(p);
    const int end = ply_start[p + 1];
    if (depth == 1) {
        // The children are leaves: counted here rather than by a call each.
        for (int i = ply_start[p]; i < end; ++i) {
            const Move m = move_stack[i].move;
            make_move(m);
            if (!own_king_attacked_after_move()) ++leaf_nodes;
            unmake_move(m);
        }
        return;
    }
    for (int i = ply_start[p]; i < end; ++i) {
        const Move m = move_stack[i].move;
        make_move(m);
        if (!own_king_attacked_after_move()) perft(depth - 1, p + 1);
        unmake_move(m);
    }
}

int perft_driver(int depth)
{
    if (depth < 1) return -1;
    const int deepest = std::min(PERFT_MAX_DEPTH, MAX_PLY_RECORDS - 2 - ply);
    if (depth > deepest) {
        std::printf("Profondeur %d trop grande (au plus %d)\n", depth, deepest);
        return -1;
    }
    make_move_calls = 0;
    interior_nodes = 0;
    leaf_nodes = 0;
    std::printf("%s\nBuilding the entire search tree to depth %d :", RULE, depth);
    std::fflush(stdout);
    const int64_t start = now_ms();
    perft(depth, 0);
    --interior_nodes;
    const auto elapsed = static_cast<uint32_t>(now_ms() - start);
    // 64-bit counts: deep runs pass 2^32 paths; smaller ones print as they always did.
    const auto count = [](uint64_t n) { return static_cast<unsigned long long>(n); };
    std::printf(" %u ms\n%s\n", elapsed, RULE);
    std::printf(
        "%10llu interior nodes\n%10llu leaf nodes\n%10llu nodes\n%10llu moves\n%10.0f moves / s\n",
        count(interior_nodes), count(leaf_nodes), count(interior_nodes + leaf_nodes),
        count(make_move_calls), per_second(make_move_calls, elapsed));
    std::printf("%s\n", RULE);
    return 0;
}
