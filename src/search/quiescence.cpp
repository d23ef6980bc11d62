// The two quiescence levels: SuperQuiescence (captures, direct checks and queen promotions for
// two plies) and Quiescence (captures the filter keeps, and queen promotions). Every make is
// matched by its unmake before any return, so the position record is the same on exit; the
// node lists live in the shared move stack between ply_start[height] and ply_start[height + 1].
#include "search/quiescence.h"

#include <cstdio>

#include "core/board.h"
#include "core/makemove.h"
#include "core/repetition.h"
#include "core/tables.h"
#include "eval/evaluation.h"
#include "movegen/movegen.h"
#include "movegen/notation.h"
#include "platform/thread_state.h"
#include "search/hash.h"
#include "search/ordering.h"
#include "search/search.h"
#include "search/statictests.h"

QV_THREAD_STATE uint64_t quiescence_nodes, superq_nodes;
QV_THREAD_STATE uint32_t quiescence_nodes_by_height[SEARCH_HEIGHTS];
QV_THREAD_STATE uint32_t superq_nodes_by_height[SEARCH_HEIGHTS];

namespace {

constexpr int MAX_QUIESCENCE_CAPTURE = 950;  // no capture can win more than a queen
constexpr int QUIESCENCE_HOPELESS = 1050;    // a queen plus a pawn of margin

Move last_move()
{
    return ply > 0 ? etats[ply - 1].coup : NULL_MOVE;
}

// A recapture on the square of the opponent's last move does not enter the killers.
void killer_update(int height, Move m)
{
    if (move_to(m) != move_to(last_move())) update_pair(&killers[height], m);
}

// The height limit. Past it a node answers its material score after printing where it stands,
// so every per-height table (64 entries, with height + 1 used by the killers and the list ends)
// is indexed below 64 and every make stays below the last of the 1024 ply records.
bool at_height_limit(int height, const char* name)
{
    if (height < SEARCH_HEIGHTS - 1 && ply < MAX_PLY_RECORDS - 1) return false;
    report_max_height(name);
    return true;
}

// The checks made before a node counts itself: mate-distance bounds and draws. True with
// *result when they decide.
bool decided_before_search(int alpha, int beta, int height, bool check, int* result)
{
    if (alpha >= MATE_SCORE - height) {
        *result = MATE_SCORE - height;
        return true;
    }
    if (!check && beta <= height - (MATE_SCORE - 1)) {
        *result = height - (MATE_SCORE - 1);
        return true;
    }
    if (drawn_by_material() || (ply >= pos()->irreversible + 4 && repetition_count() >= 3)) {
        *result = draw_score();
        return true;
    }
    return false;
}

// The transposition probe: records the stored move for ordering and narrows the window by the
// stored bound. True with *result when the stored score decides the node.
bool decided_by_table(int* alpha, int* beta, int height, uint32_t depth_field, int* result)
{
    Move stored = 0;
    int score = 0;
    const uint32_t bound = hash_probe(&stored, &score, height, depth_field);
    if (bound == HASH_NO_CELL) {
        ply_info[height].hash_move = 0;
        return false;
    }
    ply_info[height].hash_move = stored;
    if (bound == BOUND_LOWER) {
        if (*beta <= score) {
            *result = *beta;
            return true;
        }
        if (score > *alpha) *alpha = score;
    } else if (bound == BOUND_UPPER) {
        if (score <= *alpha) {
            *result = *alpha;
            return true;
        }
        if (score < *beta) *beta = score;
    } else if (bound == BOUND_EXACT) {
        *result = score;
        return true;
    }
    return false;
}

// Evasions of the side in check into the height's list, ordered, with *first_pick set; false
// when there are none.
bool build_evasions(int height, int* first_pick)
{
    genere_evasions(height);
    if (ply_start[height + 1] == ply_start[height]) return false;
    *first_pick = ordonne_evasions(height);
    return true;
}

// Plays the height's list (already built and ordered, its first pick given) with
// child(alpha, beta) scoring each legal move from this side's view, and stores the outcome.
// alpha0 is alpha on entry, best the stand-pat value (or -30000 in check).
template <typename Child>
int search_list(int alpha, int beta, int alpha0, int best, int height, uint32_t depth_field,
                bool check, int first_pick, Child child)
{
    Move best_move = NULL_MOVE;
    killers[height + 1].move1 = NULL_MOVE;
    killers[height + 1].move2 = NULL_MOVE;
    for (int pick = first_pick; ply_start[height + 1] > ply_start[height]; pick = NO_PICK) {
        const Move m = pick != NO_PICK ? take_move(height, pick) : next_move(height);
        make_move_prefetching(m);
        if (own_king_attacked_after_move()) {
            unmake_move(m);
            continue;
        }
        const int r = child(alpha, beta);
        unmake_move(m);
        if (search_stopped) return 0;  // a stopped child's score means nothing: store nothing
        if (r <= best) continue;
        best = r;
        best_move = m;
        if (r <= alpha) continue;
        alpha = r;
        if (r >= MATE_SCORE - height) {
            hash_store(m, MATE_SCORE - height, height, depth_field, BOUND_EXACT);
            killer_update(height, m);
            return MATE_SCORE - height;
        }
        if (r >= beta) {
            hash_store(m, beta, height, depth_field, BOUND_LOWER);
            killer_update(height, m);
            return beta;
        }
    }
    if (best_move == NULL_MOVE) return check ? height - MAX_SCORE : alpha;
    if (best <= alpha0) {
        hash_store(best_move, alpha, height, depth_field, BOUND_UPPER);
        return alpha;
    }
    hash_store(best_move, best, height, depth_field, BOUND_EXACT);
    killer_update(height, best_move);
    return alpha;
}

}  // namespace

namespace {

// The stand-pat score of a node not in check, in *best: true when it alone fails high;
// otherwise alpha is raised to it.
inline bool stand_pat_cuts(int* alpha, int beta, int* best)
{
    const int e = evaluation(*alpha, beta);
    *best = e;
    if (e >= beta) return true;
    if (e > *alpha) *alpha = e;
    return false;
}

// SuperQuiescence past its height limit and its mate-distance and draw rules.
int superquiescence_node(int alpha, int beta, int height, int depth, bool check)
{
    const int alpha0 = alpha;
    ++poll_nodes;
    ++superq_nodes;
    ++superq_nodes_by_height[height];
    if (poll_stops()) return 0;
    const auto depth_field = static_cast<uint32_t>(depth);
    int result = 0;
    if (decided_by_table(&alpha, &beta, height, depth_field, &result)) return result;

    int best = -MAX_SCORE;
    int first_pick = NO_PICK;
    if (check) {
        if (!build_evasions(height, &first_pick)) return height - MAX_SCORE;
    } else {
        if (stand_pat_cuts(&alpha, beta, &best)) return best;
        const int e = best;
        const int t = alpha - e - 100 > 0 ? alpha - e - 100 : 0;
        int w = ply_start[height];
        if (t <= MAX_QUIESCENCE_CAPTURE) w = genere_captures(w, t);
        const int checks = w;
        w = drop_big_captures(checks, genere_echecs(checks), t);
        ply_start[height + 1] = genere_promotions_dame(w);
        if (ply_start[height + 1] == ply_start[height]) return alpha;
        first_pick = ordonne_captures(height);
    }
    const auto child = [&](int a, int b) {
        if (depth < TWO_PLIES) return -Quiescence(-b, -a, height + 1);
        return -SuperQuiescence(-b, -a, height + 1, depth - ONE_PLY);
    };
    return search_list(alpha, beta, alpha0, best, height, depth_field, check, first_pick, child);
}

// A two-ply entry in check is a fault of the caller, reported with the path that led there.
void report_check_at_entry(int depth, bool check)
{
    if (depth != TWO_PLIES || !check) return;
    std::printf("En echecs dans SuperQuiescenceIni\n");
    print_search_path();
    std::printf("\n");
}

}  // namespace

int SuperQuiescence(int alpha, int beta, int height, int depth)
{
    const bool check = in_check();
    if (at_height_limit(height, "SuperQuiescence")) return pos()->score_materiel;
    report_check_at_entry(depth, check);
    int result = 0;
    if (decided_before_search(alpha, beta, height, check, &result)) return result;
    return superquiescence_node(alpha, beta, height, depth, check);
}

int SuperQuiescenceAtHorizon(int alpha, int beta, int height, bool check)
{
    report_check_at_entry(TWO_PLIES, check);
    return superquiescence_node(alpha, beta, height, TWO_PLIES, check);
}

int Quiescence(int alpha, int beta, int height)
{
    const int alpha0 = alpha;
    const bool check = in_check();
    if (at_height_limit(height, "Quiescence")) return pos()->score_materiel;
    int result = 0;
    if (decided_before_search(alpha, beta, height, check, &result)) return result;
    ++poll_nodes;
    ++quiescence_nodes;
    ++quiescence_nodes_by_height[height];
    if (poll_stops()) return 0;
    if (decided_by_table(&alpha, &beta, height, 0, &result)) return result;

    int best = -MAX_SCORE;
    int first_pick = NO_PICK;
    if (check) {
        if (!build_evasions(height, &first_pick)) return height - MAX_SCORE;
    } else {
        if (stand_pat_cuts(&alpha, beta, &best)) return best;
        const int e = best;
        if (alpha > e + QUIESCENCE_HOPELESS) return alpha;
        const int t = alpha - e - 100;
        ply_start[height + 1] = genere_captures(ply_start[height], t);
        prune_bad_captures(height, t);
        ply_start[height + 1] = genere_promotions_dame(ply_start[height + 1]);
        if (ply_start[height + 1] == ply_start[height]) return alpha;
        first_pick = ordonne_captures(height);
    }
    const auto child = [&](int a, int b) { return -Quiescence(-b, -a, height + 1); };
    return search_list(alpha, beta, alpha0, best, height, 0, check, first_pick, child);
}

// ---- the capture filter ----------------------------------------------------------------------

namespace {

// Per square, bit (file + rank - 2) for its a1-h8 diagonal and bit (16 + rank - file + 7) for
// its a8-h1 diagonal: two squares share a diagonal when their entries share a bit.
constexpr auto diagonal_bits = tables_detail::by_square<uint32_t>([](int sq) {
    const int f = tables_detail::file_of(sq), r = tables_detail::rank_of(sq);
    return (1u << (f + r - 2)) | (1u << (16 + r - f + 7));
});

// What the filter needs to know about one capture.
struct Capture {
    int c, o;           // colour indices of the capturer and of the victim
    int from, to;       // the move's squares
    int value;          // the capturer's value
    int need;           // what a tactical follow-up must be worth
    uint32_t mover;     // the capturer's slot bit
    uint32_t victim;    // the victim's slot bit
    int defender_sq;    // the square of the cheapest defender of `to`
    uint32_t defender;  // its slot bit
};

// Walks from `start` along `step` to the edge of the board: true when some enemy piece on the
// way is worth at least `need`, whatever stands before it.
bool enemy_worth_beyond(int start, int step, int enemy_bit, int need)
{
    for (int sq = start + step; !is_border(echiquier[sq]); sq += step)
        if ((echiquier[sq] & enemy_bit) && valeur_piece[type_of(echiquier[sq])] >= need)
            return true;
    return false;
}

// Some slider of colour x.c attacking `through` (other than those in `skip`) lines up with it
// so that an enemy piece worth `need` stands beyond it.
bool discovered_beyond(const Capture& x, int through, uint32_t skip)
{
    const uint8_t enemy_bit = colour_bit_of_index(x.o);
    for (uint32_t m = attaques[x.c][through] & pieces_glissantes_mask[x.c] & ~skip & SLOT_BITS; m;
         m &= m - 1) {
        const int sq = static_cast<int>(ficha[x.c][lowest_bit[m]].square);
        const int step = direction[sq * 100 + through];
        if (step != 0 && enemy_worth_beyond(through, step, enemy_bit, x.need)) return true;
    }
    return false;
}

// The capturer is backed up through its own square by a slider of its colour behind it.
bool capturer_backed_by_slider(const Capture& x)
{
    const int line = direction[x.from * 100 + x.to];
    if (line == 0) return false;
    for (uint32_t m = attaques[x.c][x.from] & pieces_glissantes_mask[x.c] & SLOT_BITS; m;
         m &= m - 1) {
        const int sq = static_cast<int>(ficha[x.c][lowest_bit[m]].square);
        if (direction[sq * 100 + x.from] == line) return true;
    }
    return false;
}

// Some enemy piece worth `need`, defended by the victim or by the cheapest defender, is itself
// under fire (or on a line) from a piece of the capturer's colour other than the capturer.
bool overloaded_defence(const Capture& x)
{
    const uint32_t others = ~x.mover & SLOT_BITS;
    const uint32_t straight = (piece_type[x.c][ROOK] | piece_type[x.c][QUEEN]) & others;
    const uint32_t diagonal = (piece_type[x.c][BISHOP] | piece_type[x.c][QUEEN]) & others;
    // The enemy pieces worth `need`, king and victim aside.
    uint32_t enemies = 0;
    for (int t = PAWN; t <= QUEEN; ++t)
        if (valeur_piece[t] >= x.need) enemies |= piece_type[x.o][t];
    enemies &= ~(x.victim | 1u) & SLOT_BITS;
    for (; enemies; enemies &= enemies - 1) {
        const int p = static_cast<int>(ficha[x.o][lowest_bit[enemies]].square);
        if (!(attaques[x.o][p] & (x.victim | x.defender))) continue;
        if (attaques[x.c][p] & others) return true;
        for (uint32_t m = straight; m; m &= m - 1)
            if (file_rank_bits[ficha[x.c][lowest_bit[m]].square] & file_rank_bits[p]) return true;
        for (uint32_t m = diagonal; m; m &= m - 1)
            if (diagonal_bits[ficha[x.c][lowest_bit[m]].square] & diagonal_bits[p]) return true;
    }
    return false;
}

// Whether a capture whose victim is worth v, short of the capturer's value plus t, stays in the
// list at threshold t when `defenders` (not empty) guard its target square.
bool keep_defended_capture(Move m, int t, int c, int v, uint32_t defenders)
{
    Capture x{};
    x.c = c;
    x.o = 1 - c;
    int dvalue = 0;
    for (int type : {PAWN, KNIGHT, BISHOP, ROOK, QUEEN}) {
        const uint32_t d = defenders & piece_type[x.o][type];
        if (d != 0) {
            x.defender = 1u << lowest_bit[d];
            dvalue = valeur_piece[type];
            break;
        }
    }
    if (x.defender == 0) return true;  // only the king defends
    x.from = move_from(m);
    x.to = move_to(m);
    x.value = valeur_piece[move_piece(m)];
    x.defender_sq = static_cast<int>(ficha[x.o][lowest_bit[x.defender]].square);
    x.need = x.value - v + t;
    x.mover = case_ficha[x.from]->mask;
    // En passant: the victim stands behind the empty target square.
    const int victim_sq = is_occupied(echiquier[x.to]) ? x.to : x.to - trait;
    x.victim = case_ficha[victim_sq]->mask;
    if (dvalue >= x.need) {
        if (attaques[x.c][x.to] & ~x.mover & SLOT_BITS) return true;
        if (capturer_backed_by_slider(x)) return true;
    }
    if (discovered_beyond(x, x.from, 0)) return true;
    if (discovered_beyond(x, x.defender_sq, x.mover)) return true;
    return overloaded_defence(x);
}

// Whether a capture of the side with colour index c stays in the list at threshold t. Most
// captures are settled by the two values and the defenders of the target square alone.
bool keep_capture(Move m, int t, int c)
{
    const int v = valeur_piece[move_captured(m)];
    if (v < t) return false;
    if (v >= t + valeur_piece[move_piece(m)]) return true;
    const uint32_t defenders = attaques[1 - c][move_to(m)] & SLOT_BITS;
    if (defenders == 0) return true;
    return keep_defended_capture(m, t, c, v, defenders);
}

}  // namespace

void prune_bad_captures(int height, int threshold)
{
    // The filter reads the position only, so the list end can live in a local.
    const int c = colour_index(trait);
    int end = ply_start[height + 1];
    for (int i = ply_start[height]; i < end;) {
        if (keep_capture(move_stack[i].move, threshold, c))
            ++i;
        else
            move_stack[i] = move_stack[--end];
    }
    ply_start[height + 1] = end;
}
