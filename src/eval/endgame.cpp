// Endgame terms: the drive of the stronger king towards an edge, king activity near pawns,
// passed pawns with and without pieces on the board, and the pawn-ending term with its races.
// Only reads the position record and the pawn flags of the position evaluated last.
#include "eval/endgame.h"

#include <algorithm>
#include <cstdlib>

#include "core/board.h"
#include "core/tables.h"
#include "eval/bitbases.h"
#include "eval/exchange.h"
#include "eval/pawns.h"

namespace {

// King placement in the endgame, [file - 1][rank - 1]; the same for both colours.
constexpr int8_t KING_ACTIVITY[8][8] = {
    {-15, -12, -9, -8, -8, -9, -12, -15}, {-12, -5, 0, 2, 2, 0, -5, -12},
    {-9, 0, 6, 9, 9, 6, 0, -9},           {-8, 2, 9, 13, 13, 9, 2, -8},
    {-8, 2, 9, 13, 13, 9, 2, -8},         {-9, 0, 6, 9, 9, 6, 0, -9},
    {-12, -5, 0, 2, 2, 0, -5, -12},       {-15, -12, -9, -8, -8, -9, -12, -15}};

// Passed pawns while the opponent keeps pieces, by relative rank (index 2..8).
constexpr int PASSED_BASE[9] = {0, 0, 30, 38, 54, 86, 150, 278, 534};
// Per own pawn guarding the passed pawn / the square in front of it, by relative rank 5..7.
constexpr int SUPPORT[8] = {0, 0, 0, 0, 0, 20, 40, 80};
constexpr int SUPPORT_FRONT[8] = {0, 0, 0, 0, 0, 40, 80, 160};
// Penalty for an enemy piece blocking the pawn, by its type.
constexpr int BLOCKER[8] = {0, 0, 0, 25, 0, 15, 10, 5};
// Own pieces make passed pawns stronger, enemy pieces weaker; by piece count capped at 8.
constexpr int OWN_FACTOR[9] = {64, 80, 100, 125, 156, 195, 244, 305, 381};
constexpr int OPPONENT_DIVISOR[9] = {64, 96, 144, 216, 324, 486, 729, 1093, 1640};

// Passed pawns the enemy king can still catch (no enemy pieces), by moves to promote 1..5.
constexpr int CATCHABLE_BONUS[6] = {0, 156, 92, 60, 44, 36};

// Pawn endings, by relative rank (index 2..7) or as noted.
constexpr int ENDING_PASSED[8] = {0, 0, 25, 35, 45, 60, 90, 130};
constexpr int ENDING_SUPPORTED[8] = {0, 0, 15, 30, 45, 60, 100, 100};
constexpr int ENDING_DEFENDED[8] = {0, 0, 10, 15, 30, 45, 60, 100};
constexpr int OUTSIDE[9] = {0, 0, 0, 10, 25, 45, 70, 70, 0};  // by file distance 0..8
constexpr int SPREAD[8] = {0, 0, 0, 10, 25, 50, 100, 100};    // by file distance 0..7
constexpr int LONE_RUNNER[6] = {0, 700, 600, 500, 400, 300};  // by moves to promote
constexpr int RACE[10] = {700, 650, 600, 400, 200, -200, -400, -600, -650, -700};  // i = -4..5

constexpr int NO_RUNNER = 10;

bool passed_on_file(int c, int file)
{
    return (pawn_flags[c][file - 1] & PAWN_FLAG_PASSED) != 0;
}

int attackers(int c, int sq)
{
    return slot_count(attaques[c][sq]);
}

int pawns_attacking(int c, int sq)
{
    return bit_count[attaques[c][sq] & piece_type[c][PAWN]];
}

int dist(int a, int b)
{
    return distance[a][b];
}

// ---- endgame drive ------------------------------------------------------------------------

int endgame_drive_value(int s)
{
    const int c = colour_index(s);
    const int own = king_square(c), other = king_square(1 - c);
    const int f1 = colonne[own], r1 = rangee[own], f2 = colonne[other], r2 = rangee[other];
    const int dx = f2 - f1, dy = r2 - r1;
    const int edge_file = dx > 0 ? 8 : 1, edge_rank = dy > 0 ? 8 : 1;
    // The edge the enemy king is being pushed to: the one the line between the kings meets.
    const bool file_edge = std::abs((edge_file - f1) * dy) < std::abs((edge_rank - r1) * dx);
    auto edge_distance = [&](int sq) {
        return file_edge ? std::abs(edge_file - colonne[sq]) : std::abs(edge_rank - rangee[sq]);
    };
    const int t = edge_distance(other);
    int v = -25 * t - static_cast<int>(sqrt_1024[dx * dx + dy * dy] >> 10);
    bool free_square = false;
    for (int step : KING_STEPS) {
        const int n = other + step;
        if (echiquier[n] == BORDER) continue;
        if (attaques[c][n] != 0) {
            v -= 1;
            continue;
        }
        free_square = true;
        const int tn = edge_distance(n);
        if (tn > t)
            v -= 10;
        else if (tn < t)
            v += 3;
        else
            v -= t == 0 ? 2 : 4;
    }
    if (!free_square && trait != s) v -= 50;
    return v;
}

// ---- passed pawns against pieces -----------------------------------------------------------

// Rooks and queens of colour c lined up behind the pawn on p along its file (each one standing
// behind the previous), as a slot mask.
uint32_t heavy_support_behind(int c, int s, int p)
{
    const uint32_t heavy = piece_type[c][ROOK] | piece_type[c][QUEEN];
    uint32_t found = 0;
    int cur = p;
    for (;;) {
        int next = 0;
        for (uint32_t m = attaques[c][cur] & heavy & ~found; m; m &= m - 1) {
            const int slot = lowest_bit[m & SLOT_BITS];
            const int sq = static_cast<int>(ficha[c][slot].square);
            if (direction[sq * 100 + cur] == s) {
                found |= 1u << slot;
                next = sq;
                break;
            }
        }
        if (next == 0) return found;
        cur = next;
    }
}

// The value w of a pawn free to run from q, weighed by who controls its path.
int path_value(int c, int s, int p, int q, int w)
{
    const int o = 1 - c;
    const uint32_t own_behind = heavy_support_behind(c, s, p);
    const uint32_t opp_behind = heavy_support_behind(o, s, p);
    uint32_t d = attaques[c][q] | own_behind;
    uint32_t op = attaques[o][q] | opp_behind;
    int y = q + s;
    while (echiquier[y] != BORDER) {
        d |= attaques[c][y];
        op |= attaques[o][y];
        if (echiquier[y] != EMPTY) break;
        if (attackers(c, y) < slot_count(attaques[o][y] | opp_behind)) break;
        y += s;
    }
    const int last = relative_rank(colour_index(s), rangee[y - s]);
    const int nd = slot_count(d), no = slot_count(op);
    return (PASSED_BASE[last] * nd + (no + 1) * w) / (nd + no + 1);
}

// Contribution of the passed pawn on file x; support and blockade adjustments go to *extra.
int passed_pawn_with_pieces(int s, int x, int* extra)
{
    const int c = colour_index(s), o = 1 - c;
    const int p = square_of(x, pion_plus_avance[c][x]);
    const int rr = relative_rank(colour_index(s), rangee[p]);
    const int q = p + s;
    if (rr > 4)
        *extra += SUPPORT_FRONT[rr] * pawns_attacking(c, q) + SUPPORT[rr] * pawns_attacking(c, p);
    int v = PASSED_BASE[rr];
    const uint8_t ahead = echiquier[q];
    if (is_occupied(ahead)) {
        if (colour_of(ahead) == o) {
            const int d = std::clamp(attackers(o, q) - attackers(c, q), -3, 3);
            v = 3 * v / (d + 6);
            *extra -= BLOCKER[type_of(ahead)];
        } else {
            v = 2 * v / 3;
        }
    }
    int w = v;
    if (trait != s && attaques[o][p] != 0) {
        const int loss = std::max(0, exchange_square(p, o, v + 100));
        if (loss >= v) return 0;
        w = v - loss;
    }
    if (trait == s && ahead == EMPTY) {
        const int next = PASSED_BASE[rr + 1];
        const int lost = -exchange_core(p, q, c, 0, next + 100);
        if (lost < next) w = std::max(w, 3 * (next - lost) / 4);
    }
    if (w == 0) return 0;
    if (is_occupied(ahead) || rr + 1 <= 5) return w;
    if (attackers(c, q) < attackers(o, q)) return w;
    return path_value(c, s, p, q, w);
}

// ---- pawn endings ----------------------------------------------------------------------------

struct EndingSide {
    int sum;
    int runner;  // fewest moves to promote of a pawn the enemy king cannot stop; NO_RUNNER if none
};

int first_pawn_file(int c)
{
    for (int x = 1; x <= 8; ++x)
        if (pions_colonne[c][x] > 0) return x;
    return 9;
}

int last_pawn_file(int c)
{
    for (int x = 8; x >= 1; --x)
        if (pions_colonne[c][x] > 0) return x;
    return 0;
}

// Whether a passed pawn on p, m moves from promotion on P, outruns the enemy king.
bool is_runner(int s, int p, int m, int promotion_square)
{
    const int c = colour_index(s), o = 1 - c;
    const int k = dist(king_square(o), promotion_square) - (trait == -s ? 1 : 0);
    if (m < k) return true;
    return kpk_won(trait == s, bitbase_square(s, king_square(c)), bitbase_square(s, king_square(o)),
                   bitbase_square(s, p));
}

EndingSide pawn_ending_side(int s)
{
    const int c = colour_index(s), o = 1 - c;
    EndingSide side{0, NO_RUNNER};
    const int first = first_pawn_file(c), last = last_pawn_file(c);
    const int opp_first = first_pawn_file(o), opp_last = last_pawn_file(o);
    int count = 0, first_file = 0, last_file = 0, first_sq = 0, last_sq = 0;
    int first_m = 0, last_m = 0;
    for (int x = first; x <= last; ++x) {
        if (!passed_on_file(c, x)) continue;
        const int r = pion_plus_avance[c][x];
        const int rr = relative_rank(colour_index(s), r);
        const int p = square_of(x, r);
        const int m = moves_to_promote(rr);
        if (count++ == 0) {
            first_file = x;
            first_sq = p;
            first_m = m;
        }
        last_file = x;
        last_sq = p;
        last_m = m;
        side.sum += ENDING_PASSED[rr];
        if (pawns_attacking(c, p + s) > 0)
            side.sum += ENDING_SUPPORTED[rr];
        else if (pawns_attacking(c, p) > 0)
            side.sum += ENDING_DEFENDED[rr];
        if (is_runner(s, p, m, square_of(x, s > 0 ? 8 : 1))) side.runner = std::min(side.runner, m);
    }
    if (count == 1) {
        const int d = std::max(opp_first - first_file, first_file - opp_last);
        if (d > 1) side.sum += OUTSIDE[d];
    } else if (count >= 2) {
        side.sum += SPREAD[last_file - first_file];
        if (opp_first - first_file > 1) side.sum += OUTSIDE[opp_first - first_file];
        if (last_file - opp_last > 1) side.sum += OUTSIDE[last_file - opp_last];
        if (two_pawns_won(trait == s, bitbase_square(s, first_sq), bitbase_square(s, last_sq),
                          bitbase_square(s, king_square(o))))
            side.runner = std::min(side.runner, std::max(first_m, last_m));
    }
    return side;
}

}  // namespace

int endgame_drive(int s)
{
    return endgame_drive_value(s);
}

int endgame_king_activity(int s)
{
    const int c = colour_index(s), o = 1 - c;
    const int king = king_square(c);
    const int king_file = colonne[king];
    int best = 0;
    for (int x = 1; x <= 8; ++x) {
        if (pions_colonne[c][x] > 0) {
            const int p = square_of(x, pion_plus_avance[c][x]);
            const uint8_t flags = pawn_flags[c][x - 1];
            int v = 0;
            if (flags & PAWN_FLAG_ISOLATED) v = 16 * (7 - dist(king, p));
            if (flags & PAWN_FLAG_PASSED) {
                // The square beside the one in front of the pawn, on the king's side.
                const int q = p + s + (king_file > x ? 10 : -10);
                v += 21 * (6 - dist(king, q));
            }
            best = std::max(best, v);
        }
        if (pions_colonne[o][x] > 0) {
            const int p = square_of(x, pion_plus_avance[o][x]) - s;  // in front of that pawn
            const uint8_t flags = pawn_flags[o][x - 1];
            int v = 0;
            if (flags & PAWN_FLAG_ISOLATED) v = 20 * (6 - dist(king, p));
            if (flags & PAWN_FLAG_PASSED) v += 20 * (6 - dist(king, p));
            best = std::max(best, v);
        }
    }
    return KING_ACTIVITY[colonne[king] - 1][rangee[king] - 1] + best / 5;
}

int passed_pawns_with_pieces(int s)
{
    const int c = colour_index(s), o = 1 - c;
    int sum = 0, extra = 0;
    for (uint64_t bits = passed_pawn_bits(c); bits != 0; bits &= bits - 1)
        sum += passed_pawn_with_pieces(s, lowest_passed_file(bits), &extra);
    if (sum == 0) return extra;  // spares the division
    const int own = std::min(nombre_pieces[c], 8), opp = std::min(nombre_pieces[o], 8);
    return OWN_FACTOR[own] * sum / OPPONENT_DIVISOR[opp] + extra;
}

int passed_pawns_no_pieces(int s)
{
    const int c = colour_index(s), o = 1 - c;
    if (!any_passed_pawn(c)) return 0;
    const uint8_t own_pawn = colour_bit(s) | PAWN;
    int unstoppable = 0, sum = 0;
    for (int x = 1; x <= 8; ++x) {
        if (!passed_on_file(c, x)) continue;
        const int r = pion_plus_avance[c][x];
        const int m = moves_to_promote(relative_rank(colour_index(s), r));
        const int promotion_square = square_of(x, s > 0 ? 8 : 1);
        if (dist(king_square(o), promotion_square) + (trait == s ? 1 : 0) > m + 1) {
            unstoppable = std::max(unstoppable, 700 / m);
            continue;
        }
        sum += CATCHABLE_BONUS[m];
        for (int y : {x - 1, x + 1}) {
            // A neighbour pawn level with or behind this one can come up to support it.
            const int rear = pion_moins_avance[c][y];
            if (s > 0 ? rear > r : rear < r) continue;
            int sq = square_of(y, r);
            while (echiquier[sq] != own_pawn) sq -= s;
            const int r2 = rangee[sq];
            sum += 6 * (relative_rank(colour_index(s), r2) - 1) / (std::abs(r - r2) + 1);
        }
    }
    return unstoppable + sum;
}

int pawn_ending_term()
{
    const EndingSide white = pawn_ending_side(+1);
    const EndingSide black = pawn_ending_side(-1);
    const int v = white.sum - black.sum;
    if (white.runner == NO_RUNNER && black.runner == NO_RUNNER) return v;
    if (black.runner == NO_RUNNER) return v + LONE_RUNNER[white.runner];
    if (white.runner == NO_RUNNER) return v - LONE_RUNNER[black.runner];
    const int i = white.runner - black.runner + (trait == -1 ? 1 : 0);
    return v + RACE[i + 4];
}
