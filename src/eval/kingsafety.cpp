// King safety of one colour: a cached pawn-shelter part (H, O, G, T) and an attack part read
// from `attaques` on every call. Only the position record is read; the writes go to the shelter
// results, the king cache and the extra attacker masks of the king's neighbours.
#include "eval/kingsafety.h"

#include <bit>

#include "caches/caches.h"
#include "core/board.h"
#include "core/keys.h"
#include "core/tables.h"
#include "eval/shelter.h"

int32_t shelter_h, shelter_o, shelter_g, shelter_t;
uint32_t king_probes, king_hits;
uint32_t extra_attackers[BOARD_SIZE];

namespace {

constexpr int FULL_SHELTER = 66;
constexpr int MIN_CASTLING_SHELTER = 31;
constexpr uint32_t KING_BIT = 1;  // slot 0 is always the king
constexpr int QUEEN_SIDE_RIGHT = 2;
constexpr int KING_SIDE_RIGHT = 1;

void queen_side_shelter(int c)
{
    c == WHITE ? shelter_white_queen_side() : shelter_black_queen_side();
}
void centre_shelter(int c)
{
    c == WHITE ? shelter_white_centre() : shelter_black_centre();
}
void king_side_shelter(int c)
{
    c == WHITE ? shelter_white_king_side() : shelter_black_king_side();
}

// The weight of each open file towards the king: the enemy's heavy pieces.
int open_file_weight(int o)
{
    return 3 * slot_count(piece_type[o][QUEEN]) + 2 * slot_count(piece_type[o][ROOK]);
}

void clear_h_o_t()
{
    shelter_h = shelter_o = shelter_t = 0;
}

// A king on the d- or e-file: the best wing it may still castle to gives G (when it is a real
// shelter), then the centre routine gives H, O and T for the king where it stands.
void centre_king_shelter(int c, int rights)
{
    if (rights != 0) {
        int best = 0;
        if (rights & QUEEN_SIDE_RIGHT) {
            clear_h_o_t();
            queen_side_shelter(c);
            best = shelter_h;
        }
        if (rights & KING_SIDE_RIGHT) {
            clear_h_o_t();
            king_side_shelter(c);
            if (shelter_h > best) best = shelter_h;
        }
        shelter_g = best < MIN_CASTLING_SHELTER ? 0 : best;
    }
    clear_h_o_t();
    centre_shelter(c);
}

void compute_shelter(int c, int king, int rights)
{
    shelter_h = shelter_o = shelter_g = shelter_t = 0;
    shelter_king_rank = rangee[king];
    shelter_king_file = colonne[king];
    const int file = colonne[king];
    if (file <= 3)
        queen_side_shelter(c);
    else if (file <= 5)
        centre_king_shelter(c, rights);
    else
        king_side_shelter(c);
}

bool is_heavy(uint8_t code, int o)
{
    const uint8_t bit = colour_bit_of_index(o);
    return code == (bit | ROOK) || code == (bit | QUEEN);
}

// Enemy rooks and queens stacked on one line of the king's bands: walking from the board edge
// towards the king, the stack reaching the first square next to the king is credited to that
// square (and through an empty square or a rook to the next ones). Returns the rooks used.
uint32_t add_heavy_line(int c, int o, int king, int edge)
{
    const int u = band_step[king * 100 + edge];
    int sq = edge;
    while (!is_heavy(echiquier[sq], o)) sq += u;  // stops at the latest on the rook itself
    uint32_t stack = case_ficha[sq]->mask;
    uint32_t met = stack;
    for (sq += u; (attaques[c][sq] & KING_BIT) == 0; sq += u) {
        const uint8_t code = echiquier[sq];
        if (code == EMPTY) continue;
        if (is_heavy(code, o)) {
            stack |= case_ficha[sq]->mask;
            met |= case_ficha[sq]->mask;
        } else if (colour_of(code) == c || type_of(code) == PAWN) {
            stack = 0;
        }
    }
    extra_attackers[sq] |= stack;
    const uint8_t at_y = echiquier[sq];
    if (at_y == EMPTY || at_y == (colour_bit_of_index(o) | ROOK)) {
        extra_attackers[sq + u] |= stack;
        if (echiquier[sq + u] == EMPTY) extra_attackers[sq + 2 * u] |= stack;
    }
    return met;
}

void add_heavy_lines(int c, int o, int king)
{
    uint32_t rooks = piece_type[o][ROOK];
    while (rooks != 0) {
        const Ficha& rook = ficha[o][lowest_bit[rooks]];
        rooks ^= rook.mask;
        const int edge = band_edge[king * 100 + static_cast<int>(rook.square)];
        if (edge != 0) rooks &= ~add_heavy_line(c, o, king, edge);
    }
}

// A bishop behind the enemy queen on a diagonal aimed at the king zone.
void add_bishop_behind_queen(int c, int o, int king)
{
    const uint32_t queens = piece_type[o][QUEEN];
    if (queens == 0) return;
    const int q = static_cast<int>(ficha[o][lowest_bit[queens]].square);
    const uint32_t bishops = attaques[o][q] & piece_type[o][BISHOP];
    if (bishops == 0) return;
    const Ficha& bishop = ficha[o][lowest_bit[bishops]];
    const int b = static_cast<int>(bishop.square);
    const int d = diagonal_approach[b * 100 + king];
    if (d == 0 || d != direction[b * 100 + q]) return;
    for (int sq = q + d; on_board(sq); sq += d) {
        if (attaques[c][sq] & KING_BIT) {
            extra_attackers[sq] |= bishop.mask;
            if (echiquier[sq] == EMPTY) extra_attackers[sq + d] |= bishop.mask;
            return;
        }
        if (echiquier[sq] != EMPTY) return;
    }
}

// Per king square, which of the squares king safety looks at are on the board: bit i for the
// neighbour king + KING_STEPS[i]; bits 8-10 for the squares two ranks up (king + 2, king - 8,
// king + 12) and bits 11-13 for those two ranks down (king - 2, king - 12, king + 8).
constexpr int FAR_UP = 8, FAR_DOWN = 11;
constexpr int FAR_UP_STEPS[3] = {2, -8, 12};
constexpr int FAR_DOWN_STEPS[3] = {-2, -12, 8};
constexpr auto KING_RING = tables_detail::by_square<uint16_t>([](int k) {
    int bits = 0;
    for (int i = 0; i < 8; ++i)
        if (tables_detail::on_board(k + KING_STEPS[i])) bits |= 1 << i;
    for (int i = 0; i < 3; ++i) {
        if (tables_detail::on_board(k + FAR_UP_STEPS[i])) bits |= 1 << (FAR_UP + i);
        if (tables_detail::on_board(k + FAR_DOWN_STEPS[i])) bits |= 1 << (FAR_DOWN + i);
    }
    return bits;
});
// KING_STEPS lists the four orthogonal steps first, then the four diagonal ones.
constexpr int ORTHOGONAL_STEPS = 4;

// Attack weight of one attacked neighbour n of the king; `line` holds the enemy pieces that
// attack along n's direction from the king (rooks orthogonally, bishops diagonally).
int neighbour_weight(int c, int o, int n, uint32_t line, uint32_t* attackers)
{
    const uint32_t m = (attaques[o][n] | extra_attackers[n]) & SLOT_BITS;
    *attackers |= m;
    const int pieces = slot_count(m);
    const bool queen = (m & piece_type[o][QUEEN]) != 0;
    const bool lined_up = (m & line) != 0 && pieces >= 2;
    if (attaques[c][n] & SLOT_BITS & ~KING_BIT)
        return queen ? (pieces > 1 ? 4 : 1) : (lined_up ? 2 : 1);
    return queen ? (pieces < 2 ? 3 : 10) : (lined_up ? 5 : 1);
}

// The weight of the neighbours the enemy attacks (bit i of `attacked` for king + KING_STEPS[i]),
// their masks of stacked attackers filled first. Only attacked neighbours read those masks, so
// the stacking walks are left out when no neighbour is attacked.
int attacked_neighbours_weight(int c, int o, int king, uint32_t attacked, uint32_t* attackers)
{
    for (const int d : KING_STEPS) extra_attackers[king + d] = 0;
    add_heavy_lines(c, o, king);
    add_bishop_behind_queen(c, o, king);
    const uint32_t rooks = piece_type[o][ROOK];
    const uint32_t bishops = piece_type[o][BISHOP];
    int w = 0;
    while (attacked != 0) {
        const int i = std::countr_zero(attacked);
        attacked &= attacked - 1;
        w += neighbour_weight(c, o, king + KING_STEPS[i], i < ORTHOGONAL_STEPS ? rooks : bishops,
                              attackers);
    }
    return w;
}

// The attacked neighbours, plus one for each distinct attacker beyond the first; the attackers
// of the three squares two ranks ahead of the king (seen from its own side) count too. Most
// kings have no attacked neighbour: one pass over the ring tells, before any weighing.
int neighbours_weight(int c, int o, int king, unsigned ring)
{
    const uint32_t* near = attaques[o] + king;  // near[d]: the enemy's attacks on king + d
    uint32_t attacked = 0;  // bit i: king + KING_STEPS[i] is on the board and attacked
    for (int i = 0; i < 8; ++i)
        if ((ring & (1u << i)) && near[KING_STEPS[i]] != 0) attacked |= 1u << i;
    uint32_t attackers = 0;
    for (int i = 0; i < 3; ++i) {
        if (c == WHITE && (ring & (1u << (FAR_UP + i)))) attackers |= near[FAR_UP_STEPS[i]];
        if (c == BLACK && (ring & (1u << (FAR_DOWN + i)))) attackers |= near[FAR_DOWN_STEPS[i]];
    }
    attackers &= SLOT_BITS;
    const int w = attacked != 0 ? attacked_neighbours_weight(c, o, king, attacked, &attackers) : 0;
    const int pieces = slot_count(attackers);
    return pieces > 1 ? w + pieces - 1 : w;
}

// One line out of the king through the empty neighbour n: squares the enemy sliders of that line
// reach count 2, or 1 when also covered by the own side; so does the own piece that ends it.
int open_line_weight(int c, int o, int n, int d, uint32_t sliders)
{
    int w = 0;
    int sq = n + d;
    for (; echiquier[sq] == EMPTY; sq += d)
        if (attaques[o][sq] & sliders) w += (attaques[c][sq] & SLOT_BITS) ? 1 : 2;
    const uint8_t code = echiquier[sq];
    if (is_occupied(code) && colour_of(code) == c && (attaques[o][sq] & sliders))
        w += (attaques[c][sq] & SLOT_BITS) ? 1 : 2;
    return w;
}

// The lines through the empty neighbours; a line with no enemy slider of its kind weighs nothing,
// and so does one that meets the border right past the neighbour, so neither is walked. A
// neighbour on the border is never empty, so no line needs an on-board test.
int open_lines_weight(int c, int o, int king)
{
    const uint32_t queens = piece_type[o][QUEEN];
    const uint32_t straight = queens | piece_type[o][ROOK];
    const uint32_t diagonal = queens | piece_type[o][BISHOP];
    const uint8_t* around = echiquier + king;  // around[d]: the board byte of king + d
    int w = 0;
    if (straight != 0)
        for (const int d : {1, -1, 10, -10})
            if (around[d] == EMPTY && around[2 * d] != BORDER)
                w += open_line_weight(c, o, king + d, d, straight);
    if (diagonal != 0)
        for (const int d : {-9, 11, -11, 9})
            if (around[d] == EMPTY && around[2 * d] != BORDER)
                w += open_line_weight(c, o, king + d, d, diagonal);
    return w;
}

// The percentage by which enemy o's material scales the shelter and storm terms.
int attack_scale_of(int o)
{
    const int rooks = slot_count(piece_type[o][ROOK]);
    const int queens = slot_count(piece_type[o][QUEEN]);
    const int minors = slot_count(piece_type[o][KNIGHT] | piece_type[o][BISHOP]);
    const int k = 3 * rooks + 2 * minors;
    if (queens > 0) return k < 8 && queens < 2 ? 8 * k + 36 : 100;
    if (k < 6) return 0;
    return k < 18 ? 6 * k - 5 : 100;
}

// H, O, G, T of colour c's king on `king` with castling rights `rights`, from the king cache or
// computed and stored.
void load_shelter(int c, int king, int rights)
{
    Key96 key;
    KingCell* cell = king_cell(pos()->pawn_key, king, rights, c, &key);
    ++king_probes;
    if (cell->key1 == key.w[0] && cell->key2 == key.w[1]) {
        ++king_hits;
        shelter_h = cell->h, shelter_o = cell->o, shelter_g = cell->g, shelter_t = cell->t;
        return;
    }
    compute_shelter(c, king, rights);
    cell->key1 = key.w[0];
    cell->key2 = key.w[1];
    cell->h = static_cast<uint8_t>(shelter_h);
    cell->o = static_cast<uint8_t>(shelter_o);
    cell->g = static_cast<uint8_t>(shelter_g);
    cell->t = static_cast<uint8_t>(shelter_t);
}

// The castling credit G of the king on `king` once the shelter is loaded: halved when no right can
// be used now, a right being usable while enemy o attacks neither of the two squares the king
// crosses.
int credit(int o, int king, int rights)
{
    if (rights == 0) return shelter_g;
    const bool queen_side =
        (rights & QUEEN_SIDE_RIGHT) && attaques[o][king - 10] == 0 && attaques[o][king - 20] == 0;
    const bool king_side =
        (rights & KING_SIDE_RIGHT) && attaques[o][king + 10] == 0 && attaques[o][king + 20] == 0;
    return queen_side || king_side ? shelter_g : shelter_g / 2;
}

int attack_weight(int c, int o, int king)
{
    return neighbours_weight(c, o, king, KING_RING[king]) + open_lines_weight(c, o, king);
}

}  // namespace

int attack_scale(int s)
{
    return attack_scale_of(colour_index(-s));
}

void king_shelter(int s)
{
    const int c = colour_index(s);
    load_shelter(c, king_square(c), castling_rights_of(pos()->roque, c));
}

int castling_credit(int s)
{
    const int c = colour_index(s);
    return credit(1 - c, king_square(c), castling_rights_of(pos()->roque, c));
}

int king_attack_weight(int s)
{
    const int c = colour_index(s);
    return attack_weight(c, 1 - c, king_square(c));
}

int securite_roi(int s)
{
    const int c = colour_index(s);
    const int o = 1 - c;
    const int king = king_square(c);
    const int rights = castling_rights_of(pos()->roque, c);
    const int scale = attack_scale_of(o);
    load_shelter(c, king, rights);
    const int base = -(shelter_t * scale) / 20 - shelter_o * open_file_weight(o);
    const int w = attack_weight(c, o, king);
    const int t = base - ((w + 4) * w) / 2;
    const int h = FULL_SHELTER + ((shelter_h - FULL_SHELTER) * scale) / 100;
    const int g = credit(o, king, rights);
    if (h >= g) return h - FULL_SHELTER + t;
    return (h + g) / 2 - FULL_SHELTER + t;
}
