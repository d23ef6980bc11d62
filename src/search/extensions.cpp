// The search's small rules: which nodes are searched deeper, when the transposition table
// forbids a null move, the killer and countermove pair update, and the reset of the tables at
// the start of a think. The extension kind of every node is left in ply_info for its children.
#include <algorithm>
#include <cstring>

#include "core/board.h"
#include "core/tables.h"
#include "search/hash.h"
#include "search/search.h"

namespace {

constexpr int COUNT_LIMIT = 32767;  // pair counts are 16-bit; they stop here rather than wrap

Move move_back(int plies)
{
    return ply >= plies ? etats[ply - plies].coup : NULL_MOVE;
}

int victim_value(Move m)
{
    return valeur_piece[move_captured(m)];
}

int extend(int height, int kind, uint32_t* counter, int amount)
{
    ply_info[height].extension = kind;
    ++*counter;
    return amount;
}

}  // namespace

int extensions(int alpha, int beta, int height, int depth)
{
    return extensions(alpha, beta, height, depth, in_check(), move_back(1));
}

// The cheapest test of each rule comes first: most nodes meet none of them.
int extensions(int alpha, int beta, int height, int depth, bool check, Move last)
{
    // Check.
    if (check) return extend(height, 1, &ext_in_check, ONE_PLY);
    const int last_victim = move_captured(last);
    const int material = pos()->score_materiel;
    const bool within_twice = height <= 2 * iteration_depth;
    // The last piece left the board: the pawn ending is searched three plies deeper.
    if (last_victim != NO_TYPE && last_victim != PAWN && nombre_pieces[0] == 0 &&
        nombre_pieces[1] == 0 && within_twice && height >= 2 &&
        move_promotion(move_back(2)) == NO_TYPE)
        return extend(height, 2, &ext_recapture, 3 * ONE_PLY);
    // A pawn reached its 7th rank at the horizon.
    if (depth < ONE_PLY && move_piece(last) == PAWN && within_twice &&
        start_rank[move_to(last)] != 0 && material < beta + 950)
        return extend(height, 4, &ext_promotion, ONE_PLY);
    // A recapture of about the same value that restores the balance.
    if (last_victim != NO_TYPE && height >= 2 && height <= iteration_depth &&
        material < beta + 100 && ply_info[height - 1].extension != 2) {
        const Move before_last = move_back(2);
        if (move_captured(before_last) != NO_TYPE && etats[ply - 1].score_materiel + alpha < 100 &&
            victim_value(last) + 50 >= victim_value(before_last))
            return extend(height, 2, &ext_recapture, ONE_PLY);
    }
    ply_info[height].extension = 0;
    return 0;
}

bool hash_allows_null(int beta, int depth)
{
    HashEntry cell;
    if (hash_find(&cell) == nullptr) return true;
    const int reach = (cell.depth + THREE_PLIES) % DEPTH_FULL_WIDTH;
    return !(cell.score < beta && reach >= depth && (cell.packed & BOUND_UPPER) != 0);
}

void update_pair(MovePair* pair, Move m)
{
    if (pair->move1 == NULL_MOVE) {
        pair->move1 = m;
        pair->count1 = 0;
        return;
    }
    if (m == pair->move1) {
        pair->count1 = static_cast<int16_t>(std::min(pair->count1 + 2, COUNT_LIMIT));
        return;
    }
    pair->count1 = static_cast<int16_t>(pair->count1 / 2);
    if (m != pair->move2) {
        pair->move2 = m;
        pair->count2 = 0;
        return;
    }
    pair->count2 = static_cast<int16_t>(std::min(pair->count2 + 2, COUNT_LIMIT));
    if (pair->count2 > pair->count1) {
        pair->move2 = pair->move1;
        pair->move1 = m;
        const int16_t count = pair->count1;
        pair->count1 = pair->count2;
        pair->count2 = count;
    }
}

void clear_search_tables()
{
    std::memset(killers, 0, sizeof killers);
    std::memset(countermoves, 0, sizeof countermoves);
    std::memset(history, 0, sizeof history);
    std::memset(search_nodes_by_height, 0, sizeof search_nodes_by_height);
    search_nodes = 0;
    null_move_tries = null_move_cutoffs = threat_extensions = 0;
    search_cutoffs = first_move_cutoffs = 0;
    ext_in_check = ext_recapture = ext_promotion = ext_mate_threat = 0;
}
