// Capture and promotion generators. Captures come by victim class, most valuable first, and a
// class is dropped with all cheaper ones once the threshold says it cannot matter; promotions
// are pawn moves from the 7th rank only.
#include <bit>
#include <climits>
#include <cstddef>

#include "movegen/movegen_internal.h"

namespace {

using namespace movegen_detail;

// The captures of the piece of type `type` on v by each of its attackers of colour index c,
// lowest slot first (king and pawns included, nothing tested). Slot k's mask is 1 << k.
int captures_of(int w, int c, int v, int type)
{
    const Move onto_victim = make_move_word(0, v, NO_TYPE, type);
    for (uint32_t attackers = attaques[c][v] & SLOT_BITS; attackers; attackers &= attackers - 1) {
        const int from = static_cast<int>(ficha[c][std::countr_zero(attackers)].square);
        const int mover = type_of(echiquier[from]);
        // Only a pawn capture asks whether the victim stands on the last rank.
        if (mover == PAWN && promotion_rank[v] == -trait)
            w = push_promotions(w, from, v);
        else
            w = push_move(w, onto_victim | make_move_word(from, 0, mover));
    }
    return w;
}

// The victim classes, most valuable first, each with the highest threshold that still lists it.
struct VictimClass {
    int type;
    int max_threshold;
};
constexpr VictimClass VICTIM_CLASSES[5] = {
    {QUEEN, INT_MAX}, {ROOK, 500}, {BISHOP, 330}, {KNIGHT, 320}, {PAWN, 100}};

// Whether colour index c has a pawn on its 7th rank: the most advanced pawn of some file stands
// there. Eight independent reads, where the walk over the pawns reads each one's square.
bool pawn_on_seventh(int c)
{
    const int seventh = c == WHITE ? 7 : 2;
    bool any = false;
    for (int file = 1; file <= 8; ++file) any |= pion_plus_avance[c][file] == seventh;
    return any;
}

// Promotions of every pawn of colour index c (the side to move) on its 7th rank, lowest slot
// first, as given by `push`.
template <typename Push>
int promotions_from_seventh(int w, int c, Push push)
{
    const int f = trait;
    const uint8_t opp = opponent_bit();
    uint32_t pawns = piece_type[c][PAWN];
    while (pawns) {
        const int k = lowest_bit[pawns];
        const int from = static_cast<int>(ficha[c][k].square);
        if (start_rank[from] == -f) {
            const int front = from + f;
            if (echiquier[front] == EMPTY) w = push(w, from, front);
            if (echiquier[front - 10] & opp) w = push(w, from, front - 10);
            if (echiquier[front + 10] & opp) w = push(w, from, front + 10);
        }
        pawns ^= ficha[c][k].mask;
    }
    return w;
}

int push_queen_promotion(int w, int from, int to)
{
    return push_move(w, make_move_word(from, to, PAWN, type_of(echiquier[to]), QUEEN));
}

}  // namespace

int genere_captures(int write, int threshold)
{
    ++captures_calls;
    const int c = colour_index(trait), o = 1 - c;
    int w = write;
    // Within a class, victims lowest slot first. Slots and squares are read as unsigned
    // pointer-sized indices, which need no widening.
    const Ficha* const enemies = ficha[o];
    const uint32_t* const own_attacks = attaques[c];
    for (const VictimClass& vc : VICTIM_CLASSES) {
        if (threshold > vc.max_threshold) return w;
        for (uint32_t victims = piece_type[o][vc.type]; victims; victims &= victims - 1) {
            const std::size_t v = enemies[static_cast<unsigned>(std::countr_zero(victims))].square;
            if (own_attacks[v] & SLOT_BITS) w = captures_of(w, c, static_cast<int>(v), vc.type);
        }
    }
    return gen_en_passant(w);
}

// Most positions have no pawn on the 7th rank: the test comes before any other work.
int genere_promotions(int write)
{
    ++promotions_calls;
    const int c = colour_index(trait);
    return pawn_on_seventh(c) ? promotions_from_seventh(write, c, push_promotions) : write;
}

int genere_promotions_dame(int write)
{
    ++promotions_calls;
    const int c = colour_index(trait);
    return pawn_on_seventh(c) ? promotions_from_seventh(write, c, push_queen_promotion) : write;
}
