// Repetition counting: the keys of the ply records, the same side to move, back to the last
// capture, pawn move or null move. Reads the position record only.
#include "core/repetition.h"

#include <algorithm>

#include "core/board.h"
#include "platform/thread_state.h"

QV_THREAD_STATE int32_t root_ply;

int repetition_count()
{
    const int n = ply;
    // Below ply 0 lie only the reversible plies a set-up's half-move clock counts: no record.
    const int oldest = std::max(etats[n].irreversible, 0);
    if (n - 4 < oldest) return 1;
    const Key96 key = etats[n].hash_key;
    int count = 1;
    for (int j = n - 4; j >= oldest; j -= 2) {
        if (!(etats[j].hash_key == key)) continue;
        if (j >= root_ply || count == 2) return 3;
        ++count;
    }
    return count;
}
