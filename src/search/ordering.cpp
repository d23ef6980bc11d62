// Move ordering: writes the 16-bit scores of one height's list in the move stack and hands the
// moves out best first. Only ordonne_precis changes the position, and it takes every move back
// before it returns; the other routines read the attack tables and the search's pair tables.
// Lists only ever shrink here, so the move stack is never written outside an existing list.
#include "search/ordering.h"

#include <cstdint>

#include "core/board.h"
#include "core/makemove.h"
#include "core/tables.h"
#include "eval/evaluation.h"
#include "eval/exchange.h"
#include "movegen/movegen.h"
#include "search/hash.h"
#include "search/search.h"

namespace {

constexpr uint32_t KING_SLOT_BIT = 1;  // slot 0 always holds the king

constexpr int CAPTURE_MOVER_BONUS[8] = {0, 10, 1, 7, 0, 7, 5, 3};
constexpr int EVASION_MOVER_BONUS[8] = {0, 6, 0, 1, 0, 2, 5, 3};

constexpr int COUNTERMOVE_BONUS = 50;
constexpr int KILLER_BONUS = 40;
constexpr int OLD_KILLER_BONUS = 30;
constexpr int RECAPTURE_BONUS = 50;
constexpr int QUEEN_CONTACT_BONUS = 2000;
constexpr int ROOK_CONTACT_BONUS = 1500;

// The hash move field of a node without one: generated move words use bits 0-22 only, so a
// word with bit 31 set never equals one.
constexpr Move NO_HASH_MOVE = ~Move{0};

// What every scoring rule needs to know about the node. The per-height tables hold
// SEARCH_HEIGHTS entries; valid_height() keeps every routine inside them.
struct Node {
    int height;
    int side;  // colour index of the side to move
    int opp;
    Move last;       // the opponent's move that led here, 0 at the game's first record
    Move hash_move;  // NO_HASH_MOVE when the height has none
    // The ordering tables of the side to move and of its opponent, read at type << 7 | square.
    const int32_t* own;
    const int32_t* theirs;
    const MovePair* counter;  // the countermoves of `last`
};

bool valid_height(int height)
{
    return height >= 0 && height < SEARCH_HEIGHTS;
}

Node node_at(int height)
{
    const int side = colour_index(trait);
    const OrderingSet& set = ordering_set();
    const Move hash_move = ply_info[height].hash_move & MOVE_MASK;
    const Move last = ply > 0 ? etats[ply - 1].coup : NULL_MOVE;
    return Node{height,
                side,
                1 - side,
                last,
                hash_move != NULL_MOVE ? hash_move : NO_HASH_MOVE,
                set[side].data(),
                set[1 - side].data(),
                &countermoves[side][move_index_of(last)]};
}

bool is_hash_move(const Node& n, Move m)
{
    return m == n.hash_move;
}

bool in_pair(const MovePair& p, Move m)
{
    return m == p.move1 || m == p.move2;
}

bool is_countermove(const Node& n, Move m)
{
    return in_pair(*n.counter, m);
}

// The table cells of a move's piece on its to and from squares: the move word keeps the type
// in bits 14-16 just above the to square in bits 7-13, so the to cell is read off in one piece.
int to_cell(Move m)
{
    return static_cast<int>((m >> 7) & 0x3ff);
}
int from_cell(Move m)
{
    return static_cast<int>((m & 0x7f) | ((m >> 7) & 0x380));
}

// What the move gains on the side's ordering table.
int placement_gain(const Node& n, Move m)
{
    return n.own[to_cell(m)] - n.own[from_cell(m)];
}

uint32_t attackers(int c, int sq)
{
    return attaques[c][sq] & SLOT_BITS;
}

uint32_t mover_bit(Move m)
{
    return case_ficha[move_from(m)]->mask;
}

// The side's attackers of the to square other than the mover itself.
uint32_t other_attackers(const Node& n, Move m)
{
    return attackers(n.side, move_to(m)) & ~mover_bit(m);
}

bool pawn_among(int c, uint32_t set)
{
    return (set & piece_type[c][PAWN]) != 0;
}

// Bonus for moving a piece away from a square the opponent attacks.
int escape_bonus(const Node& n, Move m)
{
    const int f = move_from(m), a = move_piece(m);
    const uint32_t threats = attackers(n.opp, f);
    if (threats == 0) return 0;
    const bool undefended = attackers(n.side, f) == 0;
    if (a == PAWN) return undefended ? 25 : 0;
    if (pawn_among(n.opp, threats)) return valeur_piece[a] / 2;
    return undefended ? 100 : 50;
}

// Value of the captured piece on its square, seen from its owner's tables.
int victim_gain(const Node& n, Move m)
{
    const int v = move_captured(m);
    return n.theirs[v << 7 | move_to(m)] + valeur_piece[v];
}

// A slider among `candidates` (the side's sliders attacking from) covers the square just beyond
// from on the line from to through from, or stands on it.
bool slider_covers_beyond(const Node& n, int from, int to, uint32_t candidates)
{
    const int d = direction[to * 100 + from];
    if (d == 0 || candidates == 0) return false;
    const int beyond = from + d;
    if (!on_board(beyond)) return false;  // border entries of `attaques` are not exact
    if (attackers(n.side, beyond) & candidates) return true;
    const uint8_t code = echiquier[beyond];
    return is_occupied(code) && colour_of(code) == n.side &&
           (case_ficha[beyond]->mask & candidates) != 0;
}

bool is_major(int type)
{
    return type == QUEEN || type == ROOK;
}

// A queen or rook landing next to the enemy king where only that king guards the square, with
// support for the piece once it stands there.
int contact_check_bonus(const Node& n, Move m)
{
    const int a = move_piece(m), f = move_from(m), s = move_to(m);
    if (!is_major(a)) return 0;
    if (attackers(n.opp, s) != KING_SLOT_BIT) return 0;
    uint32_t sliders = pieces_glissantes_mask[n.side];
    if (a == ROOK) {
        if ((file_rank_bits[s] & file_rank_bits[king_square(n.opp)]) == 0) return 0;
        sliders = piece_type[n.side][ROOK] | piece_type[n.side][QUEEN];
    }
    const bool supported =
        other_attackers(n, m) != 0 || slider_covers_beyond(n, f, s, attackers(n.side, f) & sliders);
    if (!supported) return 0;
    return a == QUEEN ? QUEEN_CONTACT_BONUS : ROOK_CONTACT_BONUS;
}

int capture_terms(const Node& n, Move m)
{
    const int s = move_to(m), a = move_piece(m);
    int score = escape_bonus(n, m) + victim_gain(n, m);
    const uint32_t defenders = attackers(n.opp, s);
    if (defenders != 0) {
        if (pawn_among(n.opp, defenders) || other_attackers(n, m) == 0)
            score += 100 - valeur_piece[a];
        else
            score -= valeur_piece[a] / 4;
    }
    if (s == move_to(n.last)) score += RECAPTURE_BONUS;
    return score;
}

int history_bonus(const HistoryEntry* side_history, Move m)
{
    return side_history[move_index_of(m)].bonus;
}

// What the cheap ordering reads once per list rather than once per move: the countermoves of
// the last move, the killers of this height and of two plies up (none above height 3: no move
// word has all bits set), and the distances to the enemy king. `paired` has bit (to & 63) set
// for the destination square `to` of each of those six moves: a move whose bit is clear is none
// of them, known after one test.
struct QuietContext {
    MovePair counter;
    MovePair killer;
    MovePair old_killer;
    const uint8_t* king_distance;
    const HistoryEntry* side_history;
    uint64_t paired;
};

uint64_t pair_bits(const MovePair& p)
{
    return uint64_t{1} << (move_to(p.move1) & 63) | uint64_t{1} << (move_to(p.move2) & 63);
}

QuietContext quiet_context(const Node& n)
{
    constexpr MovePair NONE{~Move{0}, ~Move{0}, 0, 0};
    QuietContext q{*n.counter,
                   killers[n.height],
                   n.height >= 3 ? killers[n.height - 2] : NONE,
                   distance[king_square(n.opp)],
                   history[n.side],
                   0};
    q.paired = pair_bits(q.counter) | pair_bits(q.killer) | pair_bits(q.old_killer);
    return q;
}

int ordonne_score(const Node& n, const QuietContext& q, Move m)
{
    int score = placement_gain(n, m);
    if ((q.paired >> (move_to(m) & 63)) & 1) {
        if (in_pair(q.counter, m))
            score += COUNTERMOVE_BONUS;
        else if (in_pair(q.killer, m))
            score += KILLER_BONUS;
        else if (in_pair(q.old_killer, m))
            score += OLD_KILLER_BONUS;
    }
    const bool capture = move_captured(m) != NO_TYPE;
    if (!capture) score += history_bonus(q.side_history, m);
    if (is_major(move_piece(m))) {
        const int contact = contact_check_bonus(n, m);
        if (contact != 0) return score + contact;
    }
    if (capture) score += capture_terms(n, m);
    if (q.king_distance[move_to(m)] < q.king_distance[move_from(m)]) score += 5;
    return score;
}

int evasion_score(const Node& n, Move m)
{
    const int a = move_piece(m), A = valeur_piece[a];
    const bool capture = move_captured(m) != NO_TYPE;
    int score = placement_gain(n, m);
    if (is_countermove(n, m)) score += COUNTERMOVE_BONUS;
    if (a == KING) return score + (capture ? victim_gain(n, m) + 50 : -50);
    score += escape_bonus(n, m);
    const uint32_t defenders = attackers(n.opp, move_to(m));
    const bool pawn_defends = pawn_among(n.opp, defenders);
    if (capture) {
        score += victim_gain(n, m);
        if (defenders != 0) score -= (a == PAWN || !pawn_defends) ? A / 2 : A;
        return score;
    }
    score += EVASION_MOVER_BONUS[a];
    const bool supported = other_attackers(n, m) != 0;
    if (pawn_defends) return score + (supported ? 50 - A : -A);
    return score + (supported ? -A / 2 : -A);
}

int capture_score(const Node& n, Move m)
{
    const int a = move_piece(m), s = move_to(m);
    int score = victim_gain(n, m) + placement_gain(n, m) + CAPTURE_MOVER_BONUS[a];
    if (is_countermove(n, m))
        score += COUNTERMOVE_BONUS;
    else if (in_pair(killers[n.height], m))
        score += KILLER_BONUS;
    const uint32_t defenders = attackers(n.opp, s);
    if (defenders != 0) score -= valeur_piece[a] / 2;
    if (defenders == KING_SLOT_BIT && other_attackers(n, m) != 0) score += a == QUEEN ? 1000 : 25;
    return score;
}

// Keeps the first pick of a list while its scores are written in index order: the first entry
// of the highest stored (16-bit) score, the one next_move's scan would find.
struct FirstPick {
    int index;
    int16_t top = INT16_MIN;

    void see(int i, int16_t score)
    {
        if (score > top) {
            top = score;
            index = i;
        }
    }
};

// Scores every entry of the node's list with rule(node, move); the hash move gets its own
// score. Scores are stored modulo 2^16. Returns the first pick.
template <typename Rule>
int score_list(const Node& n, Rule rule)
{
    const int end = ply_start[n.height + 1];
    FirstPick pick{ply_start[n.height]};
    for (int i = ply_start[n.height]; i < end; ++i) {
        const Move m = move_stack[i].move;
        const auto score = static_cast<int16_t>(is_hash_move(n, m) ? HASH_MOVE_SCORE : rule(n, m));
        move_stack[i].score = score;
        pick.see(i, score);
    }
    return pick.index;
}

// The type and capture fields read together (bits 14-19: type + 8 * captured) are at least
// ROOK's exactly for a capture or a queen or rook move.
constexpr Move TYPE_AND_CAPTURE_BITS = 0xfc000;
constexpr Move ROOK_FIELD = Move{ROOK} << 14;
constexpr Move CAPTURE_FIELD = 0xe0000;

// The cheap ordering of the node's list in two passes: the first scores every move that is no
// capture, none of the six paired moves and no contact check candidate (a queen or rook move
// onto a square only the enemy king guards) by its placement gain, history bonus and king
// approach, which is all ordonne_score gives it, and keeps the others' places; the second gives
// those ordonne_score. No score depends on another or changes a table a score reads, so the
// order of the passes does not matter; the first pick is the lowest index among the highest
// scores, as FirstPick keeps it.
int score_quiet_list(const Node& n, const QuietContext& q)
{
    const int start = ply_start[n.height], end = ply_start[n.height + 1];
    // Locals, so that the stores of the scores cannot be taken to change them.
    const uint32_t* const enemy = attaques[n.opp];
    const int32_t* const own = n.own;
    const uint8_t* const king_distance = q.king_distance;
    const HistoryEntry* const side_history = q.side_history;
    const uint64_t paired = q.paired;
    const Move hash_move = n.hash_move;
    int others[MAX_LIST_MOVES];
    int count = 0;
    int top = INT16_MIN, index = start;
    for (int i = start; i < end; ++i) {
        const Move m = move_stack[i].move;
        const int to = move_to(m), from = move_from(m);
        int score = HASH_MOVE_SCORE;
        if (m != hash_move) {
            const bool full_rules =
                ((paired >> (to & 63)) & 1) != 0 ||
                ((m & TYPE_AND_CAPTURE_BITS) >= ROOK_FIELD &&
                 ((m & CAPTURE_FIELD) != 0 || (enemy[to] & SLOT_BITS) == KING_SLOT_BIT));
            if (full_rules) {
                others[count++] = i;
                continue;
            }
            const int approach = king_distance[to] < king_distance[from] ? 5 : 0;
            score = own[to_cell(m)] - own[from_cell(m)] + history_bonus(side_history, m) + approach;
        }
        const auto stored = static_cast<int16_t>(score);
        move_stack[i].score = stored;
        if (stored > top) {
            top = stored;
            index = i;
        }
    }
    for (int k = 0; k < count; ++k) {
        const int i = others[k];
        const auto stored = static_cast<int16_t>(ordonne_score(n, q, move_stack[i].move));
        move_stack[i].score = stored;
        if (stored > top || (stored == top && i < index)) {
            top = stored;
            index = i;
        }
    }
    return index;
}

// The last entry of the list takes the place of entry i and the list shrinks by one.
void remove_entry(int height, int i)
{
    move_stack[i] = move_stack[--ply_start[height + 1]];
}

}  // namespace

const OrderingSet& ordering_set()
{
    const bool ending = bit_count[pieces_glissantes_mask[BLACK] & SLOT_BITS] < 2 &&
                        bit_count[pieces_glissantes_mask[WHITE] & SLOT_BITS] < 2;
    return ending ? ORDERING_ENDING : ORDERING_OPENING;
}

int ordonne_precis(int height)
{
    if (!valid_height(height)) return NO_PICK;
    const Node n = node_at(height);
    FirstPick pick{ply_start[height]};
    int i = ply_start[height];
    while (i < ply_start[height + 1]) {
        const Move m = move_stack[i].move;
        if (is_hash_move(n, m)) {
            move_stack[i].score = HASH_MOVE_SCORE;
            pick.see(i++, HASH_MOVE_SCORE);
            continue;
        }
        make_move_prefetching(m);
        if (own_king_attacked_after_move()) {
            unmake_move(m);
            remove_entry(height, i);  // the moved-in entry is examined at the same place
            continue;
        }
        int score = in_check() ? 5000 - pos()->score_materiel : -evaluation(-MAX_SCORE, MAX_SCORE);
        score -= fight(trait);
        unmake_move(m);
        move_stack[i].score = static_cast<int16_t>(score);
        pick.see(i++, static_cast<int16_t>(score));
    }
    return pick.index;
}

int ordonne(int height)
{
    if (!valid_height(height)) return NO_PICK;
    const Node n = node_at(height);
    return score_quiet_list(n, quiet_context(n));
}

int ordonne_evasions(int height)
{
    if (!valid_height(height)) return NO_PICK;
    return score_list(node_at(height), evasion_score);
}

int ordonne_captures(int height)
{
    if (!valid_height(height)) return NO_PICK;
    return score_list(node_at(height), capture_score);
}

Move take_move(int height, int index)
{
    const Move m = move_stack[index].move;
    remove_entry(height, index);
    return m;
}

Move next_move(int height)
{
    if (!valid_height(height)) return NULL_MOVE;
    const int first = ply_start[height], end = ply_start[height + 1];
    if (end <= first) return NULL_MOVE;
    // Kept as FirstPick keeps it during scoring, two entries a round.
    FirstPick pick{first, move_stack[first].score};
    int i = first + 1;
    for (; i + 1 < end; i += 2) {
        pick.see(i, move_stack[i].score);
        pick.see(i + 1, move_stack[i + 1].score);
    }
    if (i < end) pick.see(i, move_stack[i].score);
    return take_move(height, pick.index);
}
