// "go perft N" in the form UCI tools compare: one line per legal root move with the paths under
// it, a blank line and the total. Counts come from the same walk as the console's perft, so the
// two always agree; the position is the same afterwards.
#include <algorithm>
#include <cstdio>

#include "core/board.h"
#include "core/makemove.h"
#include "frontend/perft.h"
#include "frontend/uci_internal.h"
#include "movegen/movegen.h"

void uci_perft(int64_t depth)
{
    // As deep as the console's perft goes; the walk does not read the input.
    const int deepest = std::min(PERFT_MAX_DEPTH, MAX_PLY_RECORDS - 2 - ply);
    if (depth < 1 || depth > deepest) {
        std::printf("info string perft depth from 1 to %d\n", deepest);
        return;
    }
    const int d = static_cast<int>(depth);
    ply_start[0] = 0;
    if (in_check())
        genere_evasions(0);
    else
        genere_all_moves(0);
    // The walk below generates above the root's entries only: they stay as they are.
    const int end = ply_start[1];
    uint64_t total = 0;
    for (int i = ply_start[0]; i < end; ++i) {
        const Move m = move_stack[i].move;
        make_move(m);
        if (!own_king_attacked_after_move()) {
            leaf_nodes = 0;
            perft(d - 1, 1);
            char text[8];
            uci_move_text(m, text);
            std::printf("%s: %llu\n", text, static_cast<unsigned long long>(leaf_nodes));
            total += leaf_nodes;
        }
        unmake_move(m);
    }
    std::printf("\nNodes searched: %llu\n\n", static_cast<unsigned long long>(total));
}
