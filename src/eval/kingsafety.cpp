// King safety of one colour: a cached pawn-shelter part (H, O, G, T) and an attack part read
// from `attaques` on every call. Only the position record is read; the writes go to the shelter
// results, the king cache and the extra attacker masks of the king's neighbours.
#include "eval/kingsafety.h"

#include <array>
#include <bit>
#include <cstddef>
#include <utility>

#include "caches/caches.h"
#include "core/board.h"
#include "core/keys.h"
#include "core/tables.h"
#include "eval/shelter.h"
#include "platform/thread_state.h"

QV_THREAD_STATE int32_t shelter_h, shelter_o, shelter_g, shelter_t;
QV_THREAD_STATE uint32_t king_probes, king_hits;
QV_THREAD_STATE uint32_t extra_attackers[BOARD_SIZE];

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

// A rook or queen of colour O.
template <int O>
bool is_heavy(uint8_t code)
{
    constexpr uint8_t bit = colour_bit_of_index(O);
    return code == (bit | ROOK) || code == (bit | QUEEN);
}

// Enemy rooks and queens stacked on one line of the king's bands: walking from the board edge
// towards the king, the stack reaching the first square next to the king is credited to that
// square (and through an empty square or a rook to the next ones). Returns the rooks used.
// Colour C's king, colour O = 1 - C's heavy pieces (so in all routines below).
template <int C, int O = 1 - C>
uint32_t add_heavy_line(int king, int edge)
{
    const int u = band_step[king * 100 + edge];
    int sq = edge;
    while (!is_heavy<O>(echiquier[sq])) sq += u;  // stops at the latest on the rook itself
    uint32_t stack = case_ficha[sq]->mask;
    uint32_t met = stack;
    for (sq += u; (attaques[C][sq] & KING_BIT) == 0; sq += u) {
        const uint8_t code = echiquier[sq];
        if (code == EMPTY) continue;
        if (is_heavy<O>(code)) {
            stack |= case_ficha[sq]->mask;
            met |= case_ficha[sq]->mask;
        } else if ((code & colour_bit_of_index(C)) || type_of(code) == PAWN) {
            stack = 0;
        }
    }
    extra_attackers[sq] |= stack;
    const uint8_t at_y = echiquier[sq];
    if (at_y == EMPTY || at_y == (colour_bit_of_index(O) | ROOK)) {
        extra_attackers[sq + u] |= stack;
        if (echiquier[sq + u] == EMPTY) extra_attackers[sq + 2 * u] |= stack;
    }
    return met;
}

template <int C, int O = 1 - C>
void add_heavy_lines(int king)
{
    uint32_t rooks = piece_type[O][ROOK];
    while (rooks != 0) {
        const Ficha& rook = ficha[O][lowest_bit[rooks]];
        rooks ^= rook.mask;
        const int edge = band_edge[king * 100 + static_cast<int>(rook.square)];
        if (edge != 0) rooks &= ~add_heavy_line<C>(king, edge);
    }
}

// A bishop behind the enemy queen on a diagonal aimed at the king zone.
template <int C, int O = 1 - C>
void add_bishop_behind_queen(int king)
{
    const uint32_t queens = piece_type[O][QUEEN];
    if (queens == 0) return;
    const int q = static_cast<int>(ficha[O][lowest_bit[queens]].square);
    const uint32_t bishops = attaques[O][q] & piece_type[O][BISHOP];
    if (bishops == 0) return;
    const Ficha& bishop = ficha[O][lowest_bit[bishops]];
    const int b = static_cast<int>(bishop.square);
    const int d = diagonal_approach[b * 100 + king];
    if (d == 0 || d != direction[b * 100 + q]) return;
    for (int sq = q + d; on_board(sq); sq += d) {
        if (attaques[C][sq] & KING_BIT) {
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
// Per king square, bit i when the two squares king + KING_STEPS[i] and king + 2 * KING_STEPS[i]
// are on the board: an open line out of the king needs both.
constexpr auto LINE_ROOM = tables_detail::by_square<uint8_t>([](int k) {
    int bits = 0;
    for (int i = 0; i < 8; ++i)
        if (tables_detail::on_board(k + KING_STEPS[i]) &&
            tables_detail::on_board(k + 2 * KING_STEPS[i]))
            bits |= 1 << i;
    return bits;
});
// KING_STEPS lists the four orthogonal steps first, then the four diagonal ones.
constexpr int ORTHOGONAL_STEPS = 4;

// Attack weight of one attacked neighbour n of the king; `line` holds the enemy pieces that
// attack along n's direction from the king (rooks orthogonally, bishops diagonally).
template <int C, int O = 1 - C>
int neighbour_weight(int n, uint32_t line, uint32_t* attackers)
{
    const uint32_t m = (attaques[O][n] | extra_attackers[n]) & SLOT_BITS;
    *attackers |= m;
    const int pieces = slot_count(m);
    const bool queen = (m & piece_type[O][QUEEN]) != 0;
    const bool lined_up = (m & line) != 0 && pieces >= 2;
    if (attaques[C][n] & SLOT_BITS & ~KING_BIT)
        return queen ? (pieces > 1 ? 4 : 1) : (lined_up ? 2 : 1);
    return queen ? (pieces < 2 ? 3 : 10) : (lined_up ? 5 : 1);
}

// The weight of the neighbours the enemy attacks (bit i of `attacked` for king + KING_STEPS[i]),
// their masks of stacked attackers filled first. Only attacked neighbours read those masks, so
// the stacking walks are left out when no neighbour is attacked.
template <int C, int O = 1 - C>
int attacked_neighbours_weight(int king, uint32_t attacked, uint32_t* attackers)
{
    uint32_t* const extra = extra_attackers + king;  // extra[d]: the mask of king + d
    extra[-11] = extra[-10] = extra[-9] = extra[-1] = extra[1] = extra[9] = extra[10] = extra[11] =
        0;
    add_heavy_lines<C>(king);
    add_bishop_behind_queen<C>(king);
    const uint32_t rooks = piece_type[O][ROOK];
    const uint32_t bishops = piece_type[O][BISHOP];
    int w = 0;
    while (attacked != 0) {
        const int i = std::countr_zero(attacked);
        attacked &= attacked - 1;
        w += neighbour_weight<C>(king + KING_STEPS[i], i < ORTHOGONAL_STEPS ? rooks : bishops,
                                 attackers);
    }
    return w;
}

// One line out of the king through the empty neighbour n: squares the enemy sliders of that line
// reach count 2, or 1 when also covered by the own side; so does the own piece that ends it.
template <int C, int O = 1 - C>
int open_line_weight(int n, int d, uint32_t sliders)
{
    int w = 0;
    int sq = n + d;
    for (; echiquier[sq] == EMPTY; sq += d)
        if (attaques[O][sq] & sliders) w += (attaques[C][sq] & SLOT_BITS) ? 1 : 2;
    if ((echiquier[sq] & colour_bit_of_index(C)) && (attaques[O][sq] & sliders))
        w += (attaques[C][sq] & SLOT_BITS) ? 1 : 2;
    return w;
}

// The lines through the empty neighbours (bit i of `lines` for KING_STEPS[i]), rooks' lines and
// bishops' lines (queens on both); a line with no enemy slider of its kind weighs nothing
// and is not walked.
template <int C, int O = 1 - C>
int open_lines_weight(int king, unsigned lines)
{
    const uint32_t queens = piece_type[O][QUEEN];
    const uint32_t straight = queens | piece_type[O][ROOK];
    const uint32_t diagonal = queens | piece_type[O][BISHOP];
    if (straight == 0) lines &= ~0x0fu;
    if (diagonal == 0) lines &= ~0xf0u;
    int w = 0;
    for (; lines != 0; lines &= lines - 1) {
        const int i = std::countr_zero(lines);
        const int d = KING_STEPS[i];
        w += open_line_weight<C>(king + d, d, i < ORTHOGONAL_STEPS ? straight : diagonal);
    }
    return w;
}

// The attack weight of colour C's king: its attacked neighbours, plus one for each distinct
// attacker beyond the first (the attackers of the three squares two ranks ahead of the king,
// seen from its own side, count too), plus its open lines. One routine per colour C and ring
// shape: SHAPE is a square whose KING_RING is the king's, so the tests of which squares are on
// the board are settled when it is compiled. Most kings have no attacked neighbour, which one
// OR over the ring tells before any weighing.
template <int SHAPE, int C>
int attack_weight_at(int king)
{
    constexpr unsigned ring = KING_RING[SHAPE];
    const uint32_t* near = attaques[1 - C] + king;  // near[d]: the enemy's attacks on king + d
    uint32_t any = 0;
    for (int i = 0; i < 8; ++i)
        if (ring & (1u << i)) any |= near[KING_STEPS[i]];
    uint32_t attackers = 0;
    for (int i = 0; i < 3; ++i) {
        if (C == WHITE && (ring & (1u << (FAR_UP + i)))) attackers |= near[FAR_UP_STEPS[i]];
        if (C == BLACK && (ring & (1u << (FAR_DOWN + i)))) attackers |= near[FAR_DOWN_STEPS[i]];
    }
    attackers &= SLOT_BITS;
    int w = 0;
    if (any != 0) {
        uint32_t attacked = 0;  // bit i: king + KING_STEPS[i] is on the board and attacked
        for (int i = 0; i < 8; ++i)
            if (ring & (1u << i)) attacked |= static_cast<uint32_t>(near[KING_STEPS[i]] != 0) << i;
        w = attacked_neighbours_weight<C>(king, attacked, &attackers);
    }
    const int pieces = slot_count(attackers);
    if (pieces > 1) w += pieces - 1;
    // The lines through empty neighbours with a square past them: a line that meets the border
    // right past the neighbour weighs nothing, and a neighbour off the board is never empty.
    const uint8_t* around = echiquier + king;  // around[d]: the board byte of king + d
    unsigned lines = 0;
    for (int i = 0; i < 8; ++i)
        if ((ring & (1u << i)) && around[KING_STEPS[i]] == EMPTY) lines |= 1u << i;
    lines &= LINE_ROOM[king];
    return lines != 0 ? w + open_lines_weight<C>(king, lines) : w;
}

// The ring shapes: files a, b to g, h by ranks 1, 2, 3 to 6, 7, 8 (a king two ranks from the
// edge has its far squares on one side only), each named by its square on the lowest file and
// rank of its class.
constexpr int SHAPE_FILES[3] = {1, 2, 8};
constexpr int SHAPE_RANKS[5] = {1, 2, 3, 7, 8};
constexpr int shape_index(int k)
{
    const int file = tables_detail::file_of(k), rank = tables_detail::rank_of(k);
    const int f = file == 1 ? 0 : file == 8 ? 2 : 1;
    const int r = rank <= 2 ? rank - 1 : rank <= 6 ? 2 : rank - 4;
    return 5 * f + r;
}
constexpr int shape_square(int index)
{
    return square_of(SHAPE_FILES[index / 5], SHAPE_RANKS[index % 5]);
}
constexpr bool shapes_name_their_rings()
{
    for (int k = 0; k < BOARD_SIZE; ++k)
        if (on_board(k) && KING_RING[shape_square(shape_index(k))] != KING_RING[k]) return false;
    return true;
}
static_assert(shapes_name_their_rings());

using AttackWeightRoutine = int (*)(int king);
template <int C, std::size_t... I>
constexpr std::array<AttackWeightRoutine, sizeof...(I)> shape_routines(std::index_sequence<I...>)
{
    return {&attack_weight_at<shape_square(static_cast<int>(I)), C>...};
}
// [colour][king square]: the routine of the king's ring shape.
constexpr auto ATTACK_WEIGHT_AT = [] {
    const std::array<AttackWeightRoutine, 15> by_shape[2] = {
        shape_routines<BLACK>(std::make_index_sequence<15>()),
        shape_routines<WHITE>(std::make_index_sequence<15>())};
    std::array<std::array<AttackWeightRoutine, BOARD_SIZE>, 2> t{};
    for (int c = BLACK; c <= WHITE; ++c)
        for (int k = 0; k < BOARD_SIZE; ++k)
            if (on_board(k)) t[c][k] = by_shape[c][shape_index(k)];
    return t;
}();

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

// A king-cache miss: H, O, G, T computed for colour c's king on `king` with castling rights
// `rights` and stored in `cell` under `key`.
void fill_king_cell(KingCell* cell, const Key96& key, int c, int king, int rights)
{
    compute_shelter(c, king, rights);
    cell->key1 = key.w[0];
    cell->key2 = key.w[1];
    cell->h = static_cast<uint8_t>(shelter_h);
    cell->o = static_cast<uint8_t>(shelter_o);
    cell->g = static_cast<uint8_t>(shelter_g);
    cell->t = static_cast<uint8_t>(shelter_t);
}

// H, O, G, T of colour C's king on `king` with castling rights `rights`, from the king cache or
// computed and stored.
template <int C>
void load_shelter(int king, int rights)
{
    Key96 key;
    KingCell* cell = king_cell(pos()->pawn_key, king, rights, C, &key);
    ++king_probes;
    if (cell->key1 != key.w[0] || cell->key2 != key.w[1]) {
        fill_king_cell(cell, key, C, king, rights);
        return;
    }
    ++king_hits;
    shelter_h = cell->h, shelter_o = cell->o, shelter_g = cell->g, shelter_t = cell->t;
}

// The castling credit G of the king on `king` once the shelter is loaded: halved when no right can
// be used now, a right being usable while enemy o attacks neither of the two squares the king
// crosses.
template <int O>
int credit(int king, int rights)
{
    if (rights == 0) return shelter_g;
    const bool queen_side =
        (rights & QUEEN_SIDE_RIGHT) && attaques[O][king - 10] == 0 && attaques[O][king - 20] == 0;
    const bool king_side =
        (rights & KING_SIDE_RIGHT) && attaques[O][king + 10] == 0 && attaques[O][king + 20] == 0;
    return queen_side || king_side ? shelter_g : shelter_g / 2;
}

template <int C>
int attack_weight(int king)
{
    return ATTACK_WEIGHT_AT[C][king](king);
}

template <int C, int O = 1 - C>
int safety()
{
    const int king = king_square(C);
    const int rights = castling_rights_of(pos()->roque, C);
    const int scale = attack_scale_of(O);
    load_shelter<C>(king, rights);
    // T * scale, w and h + g are never negative (H >= 0 and a scale of at most 100 keep h >= 0):
    // their quotients are taken unsigned, the same without a sign correction.
    const int storm = static_cast<int>(static_cast<unsigned>(shelter_t * scale) / 20);
    const int base = -storm - shelter_o * open_file_weight(O);
    const unsigned w = static_cast<unsigned>(attack_weight<C>(king));
    const int t = base - static_cast<int>((w + 4) * w / 2);
    const int h = FULL_SHELTER + ((shelter_h - FULL_SHELTER) * scale) / 100;
    const int g = credit<O>(king, rights);
    if (h >= g) return h - FULL_SHELTER + t;
    return static_cast<int>(static_cast<unsigned>(h + g) / 2) - FULL_SHELTER + t;
}

}  // namespace

int attack_scale(int s)
{
    return attack_scale_of(colour_index(-s));
}

void king_shelter(int s)
{
    const int c = colour_index(s);
    const int king = king_square(c), rights = castling_rights_of(pos()->roque, c);
    c == WHITE ? load_shelter<WHITE>(king, rights) : load_shelter<BLACK>(king, rights);
}

int castling_credit(int s)
{
    const int c = colour_index(s);
    const int king = king_square(c), rights = castling_rights_of(pos()->roque, c);
    return c == WHITE ? credit<BLACK>(king, rights) : credit<WHITE>(king, rights);
}

int king_attack_weight(int s)
{
    return s > 0 ? attack_weight<WHITE>(king_square(WHITE))
                 : attack_weight<BLACK>(king_square(BLACK));
}

int securite_roi(int s)
{
    return s > 0 ? safety<WHITE>() : safety<BLACK>();
}
