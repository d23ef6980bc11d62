// Exchange evaluation over the incremental attack tables: attacker sets are slot masks taken
// from `attaques`, a slider standing behind a capturer joins its colour's set once the capturer
// has gone, and the swap list never grows past one entry per attacker slot.
#include "eval/exchange.h"

#include <algorithm>
#include <bit>

#include "core/board.h"
#include "core/tables.h"
#include "platform/thread_state.h"

QV_THREAD_STATE int32_t swap_list[SWAP_LIST_SIZE];

namespace {

constexpr int CHEAPEST_FIRST[5] = {PAWN, KNIGHT, BISHOP, ROOK, QUEEN};
// The victims `fight` weighs, by falling value (the king is never one).
constexpr int MOST_VALUABLE_VICTIM_FIRST[5] = {QUEEN, ROOK, BISHOP, KNIGHT, PAWN};
static_assert(valeur_piece[QUEEN] > valeur_piece[ROOK] &&
              valeur_piece[ROOK] > valeur_piece[BISHOP] &&
              valeur_piece[BISHOP] > valeur_piece[KNIGHT] &&
              valeur_piece[KNIGHT] > valeur_piece[PAWN]);
// One step along each of a queen's four lines.
constexpr int QUEEN_AXES[4] = {1, 10, 9, 11};
constexpr int MAX_TARGETS = 16;  // at most 8 from the moved piece and one per line through `from`

// The least valuable attacker of colour c in `set` other than the king: its slot, with its value
// in *value; -1 when only the king (or nothing) is left.
int least_valuable(int c, uint32_t set, int* value)
{
    for (int type : CHEAPEST_FIRST) {
        const uint32_t m = set & piece_type[c][type] & SLOT_BITS;
        if (m != 0) {
            *value = valeur_piece[type];
            return lowest_bit[m];
        }
    }
    return -1;
}

// A capturer left square a for t: the first slider lined up behind it (White's before Black's,
// lowest slot first) now reaches t as well and joins its colour's set. Most capturers are seen by
// no slider at all, which one test tells.
void uncover(int a, int t, uint32_t sets[2])
{
    const int d = direction[a * 100 + t];
    if (d == 0) return;
    const uint32_t behind[2] = {attaques[BLACK][a] & pieces_glissantes_mask[BLACK] & SLOT_BITS,
                                attaques[WHITE][a] & pieces_glissantes_mask[WHITE] & SLOT_BITS};
    if ((behind[WHITE] | behind[BLACK]) == 0) return;
    for (int c = WHITE; c >= BLACK; --c) {
        for (uint32_t m = behind[c]; m != 0; m &= m - 1) {
            const Ficha& f = ficha[c][std::countr_zero(m)];
            if (direction[f.square * 100 + a] == d) {
                sets[c] |= f.mask;
                return;
            }
        }
    }
}

// Fills the swap list for the recaptures after the first capture; returns the index of the last
// entry that stands, or -1 when the exchange is settled at the captured value at once.
int play_out(int to, int side, int first_value, uint32_t sets[2])
{
    int v = first_value;
    int n = 1;
    for (;;) {
        swap_list[n] = -(swap_list[n - 1] + v);
        int value = 0;
        const int k = least_valuable(side, sets[side], &value);
        if (k < 0) {
            // Only the king is left: it may not capture onto a square still defended.
            if (sets[1 - side] == 0) return n;
            return n == 1 ? -1 : n - 1;
        }
        sets[side] ^= ficha[side][k].mask;
        uncover(static_cast<int>(ficha[side][k].square), to, sets);
        v = value;
        side = 1 - side;
        if (sets[side] == 0 || n + 1 >= SWAP_LIST_SIZE) return n;
        ++n;
    }
}

// True when colour c wins at least THREAT_MIN_GAIN by the exchange on t that exchange_square
// plays. Once the least valuable attacker (not the king) has captured, the other side can at
// most win it back, so the gain is never below the victim's value less the capturer's: when that
// margin is enough already, the exchange is not played out.
bool exchange_wins(int t, int c)
{
    const uint32_t attackers = attaques[c][t] & SLOT_BITS;
    if (attackers == 0) return false;  // exchange_square gives 0
    const int victim = valeur_piece[type_of(echiquier[t])];
    int value = valeur_piece[KING];
    int k = least_valuable(c, attackers, &value);
    if (k >= 0 && victim - value >= THREAT_MIN_GAIN) return true;
    // Once the other side's least valuable piece (not the king) has taken back, colour c can at
    // most win that piece in turn: the gain is never above victim - value + its value. A slider
    // uncovered behind the first capturer can only lower that least value, so the least value
    // among the pieces attacking t now bounds the gain as well.
    int back = 0;
    if (k >= 0 && least_valuable(1 - c, attaques[1 - c][t] & SLOT_BITS, &back) >= 0 &&
        victim - value + back < THREAT_MIN_GAIN)
        return false;
    if (k < 0) k = 0;  // the king's slot
    return exchange_core(static_cast<int>(ficha[c][k].square), t, c, victim, value) >=
           THREAT_MIN_GAIN;
}

// The targets of the threat test, each tested as soon as it is found: the first that colour c
// wins by an exchange settles the test, and at most MAX_TARGETS are ever tested.
struct ThreatScan {
    int c;
    uint8_t victim;  // the colour bit of the side to move
    int tested = 0;

    // sq is a target when it holds a piece of the victim.
    bool wins_on(int sq)
    {
        return (echiquier[sq] & victim) && tested++ < MAX_TARGETS && exchange_wins(sq, c);
    }
    // The first square from sq along step that is not empty.
    bool wins_on_ray(int sq, int step)
    {
        sq += step;
        while (echiquier[sq] == EMPTY) sq += step;
        return wins_on(sq);
    }
};

// The targets the moved piece of `type` attacks from t, apart from the line d it moved along.
bool moved_piece_wins(ThreatScan& scan, int type, int t, int d)
{
    switch (type) {
        case PAWN:
            return scan.wins_on(t - trait + 10) || scan.wins_on(t - trait - 10);
        case KNIGHT:
            for (int step : KNIGHT_STEPS)
                if (scan.wins_on(t + step)) return true;
            return false;
        case BISHOP: {
            const int e = (d == 11 || d == -11) ? 9 : 11;
            return scan.wins_on_ray(t, e) || scan.wins_on_ray(t, -e);
        }
        case ROOK: {
            const int e = (d == 1 || d == -1) ? 10 : 1;
            return scan.wins_on_ray(t, e) || scan.wins_on_ray(t, -e);
        }
        case QUEEN:
            for (const int e : QUEEN_AXES) {
                if (d == e || d == -e) continue;
                if (scan.wins_on_ray(t, e) || scan.wins_on_ray(t, -e)) return true;
            }
            return false;
        default:
            return false;
    }
}

}  // namespace

int exchange_core(int from, int to, int c, int value_on_to, int value_mover)
{
    const int o = 1 - c;
    uint32_t sets[2];
    sets[o] = attaques[o][to] & SLOT_BITS;
    // No defender, and none to come from behind the first capturer: only a slider of o that
    // sees `from` could join o's set when it leaves.
    if (sets[o] == 0 && (attaques[o][from] & pieces_glissantes_mask[o] & SLOT_BITS) == 0)
        return value_on_to;
    sets[c] = attaques[c][to] & SLOT_BITS;
    if (is_occupied(echiquier[from])) sets[c] &= ~case_ficha[from]->mask;
    uncover(from, to, sets);

    if (sets[o] == 0) return value_on_to;
    if (value_mover >= valeur_piece[KING]) return EXCHANGE_KING_LOST;

    swap_list[0] = -value_on_to;
    const int n = play_out(to, o, value_mover, sets);
    if (n < 0) return value_on_to;
    for (int k = n - 1; k >= 0; --k) swap_list[k] = std::max(swap_list[k], -swap_list[k + 1]);
    return -swap_list[0];
}

int exchange_square(int sq, int c, int value_on_sq)
{
    const uint32_t attackers = attaques[c][sq] & SLOT_BITS;
    if (attackers == 0) return 0;
    int value = valeur_piece[KING];
    int k = least_valuable(c, attackers, &value);
    if (k < 0) k = 0;  // the king's slot
    return exchange_core(static_cast<int>(ficha[c][k].square), sq, c, value_on_sq, value);
}

int fight(int s)
{
    const int c = colour_index(s);
    const int o = 1 - c;
    // An exchange never wins more than its victim: the victims are taken by falling value, and
    // once the best gain reaches a kind's value no victim of that kind or a cheaper one can
    // raise it.
    int best = 0;
    for (const int type : MOST_VALUABLE_VICTIM_FIRST) {
        const int value = valeur_piece[type];
        if (best >= value) break;
        for (uint32_t m = piece_type[o][type] & SLOT_BITS; m != 0; m &= m - 1) {
            const int t = static_cast<int>(ficha[o][std::countr_zero(m)].square);
            if ((attaques[c][t] & SLOT_BITS) == 0) continue;
            best = std::max(best, exchange_square(t, c, value));
        }
    }
    return best;
}

int threat_after_move(Move m)
{
    const int from = move_from(m);
    const int to = move_to(m);
    const int d = direction[from * 100 + to];
    // The side that just moved wins on the pieces of the side to move.
    ThreatScan scan{colour_index(-trait), colour_bit(trait)};
    if (moved_piece_wins(scan, move_piece(m), to, d)) return 1;

    // Lines through the vacated square that a slider of the mover now sees past it.
    const int c = scan.c;
    uint32_t sliders = attaques[c][from] & pieces_glissantes_mask[c] & SLOT_BITS;
    if (is_occupied(echiquier[to])) sliders &= ~case_ficha[to]->mask;
    for (; sliders != 0; sliders &= sliders - 1) {
        const int e = direction[ficha[c][std::countr_zero(sliders)].square * 100 + from];
        if (e != d && e != 0 && scan.wins_on_ray(from, e)) return 1;
    }
    return 0;
}
