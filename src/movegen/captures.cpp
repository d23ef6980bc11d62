// Capture and promotion generators. Captures come by victim class, most valuable first, and a
// class is dropped with all cheaper ones once the threshold says it cannot matter; promotions
// are pawn moves from the 7th rank only.
#include "movegen/movegen_internal.h"

namespace {

using namespace movegen_detail;

// Every capture of the opponent's pieces of one type: victims lowest slot first, for each
// victim its attackers lowest slot first (king and pawns included, nothing tested).
int victims_of_type(int w, int c, int type)
{
    const int o = 1 - c;
    uint32_t victims = piece_type[o][type];
    while (victims) {
        const int k = lowest_bit[victims];
        const int v = static_cast<int>(ficha[o][k].square);
        uint32_t attackers = attaques[c][v] & SLOT_BITS;
        while (attackers) {
            const int a = lowest_bit[attackers];
            const int from = static_cast<int>(ficha[c][a].square);
            if (type_of(echiquier[from]) == PAWN)
                w = push_pawn_move(w, from, v);
            else
                w = push_plain(w, from, v);
            attackers ^= ficha[c][a].mask;
        }
        victims ^= ficha[o][k].mask;
    }
    return w;
}

// Whether colour index c has a pawn on its 7th rank: the most advanced pawn of some file stands
// there. Eight independent reads, where the walk over the pawns reads each one's square.
bool pawn_on_seventh(int c)
{
    const int seventh = c == WHITE ? 7 : 2;
    bool any = false;
    for (int file = 1; file <= 8; ++file) any |= pion_plus_avance[c][file] == seventh;
    return any;
}

// Promotions of every own pawn on its 7th rank, lowest slot first, as given by `push`.
template <typename Push>
int promotions(int w, Push push)
{
    const int c = colour_index(trait);
    if (!pawn_on_seventh(c)) return w;
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

}  // namespace

int genere_captures(int write, int threshold)
{
    ++captures_calls;
    const int c = colour_index(trait);
    int w = write;
    if (pieces_glissantes_mask[1 - c] != 0) {
        w = victims_of_type(w, c, QUEEN);
        if (threshold > 500) return w;
        w = victims_of_type(w, c, ROOK);
        if (threshold > 330) return w;
        w = victims_of_type(w, c, BISHOP);
    }
    if (threshold > 320) return w;
    w = victims_of_type(w, c, KNIGHT);
    if (threshold > 100) return w;
    w = victims_of_type(w, c, PAWN);
    return gen_en_passant(w);
}

int genere_promotions(int write)
{
    ++promotions_calls;
    return promotions(write, push_promotions);
}

int genere_promotions_dame(int write)
{
    ++promotions_calls;
    return promotions(write, [](int w, int from, int to) {
        return push_move(w, make_move_word(from, to, PAWN, type_of(echiquier[to]), QUEEN));
    });
}
