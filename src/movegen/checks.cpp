// The generator of direct checks: moves that put the moving piece itself on a line, knight
// square or pawn-check square of the opponent king. Walking out from the king keeps every
// target on a clear line to it; discovered checks, castling and promotions are not produced.
#include "movegen/movegen_internal.h"

namespace {

using namespace movegen_detail;

// Slider checks along one line from the king: every piece of `movers` attacking an empty
// square of the line gives a quiet check there, and a capture on the first occupied square
// when it holds an opponent piece.
inline int line_checks(int w, int c, int king, int d, uint32_t movers, uint8_t opp)
{
    int q = king + d;
    while (echiquier[q] == EMPTY) {
        w = push_from_slots(w, c, attaques[c][q] & movers, q);
        q += d;
    }
    if (echiquier[q] & opp) w = push_from_slots(w, c, attaques[c][q] & movers, q);
    return w;
}

// The same along the lines given, in their order, each step a constant of the instance.
template <int... Steps>
int lines_checks(int w, int c, int king, uint32_t movers)
{
    const uint8_t opp = opponent_bit();
    ((w = line_checks(w, c, king, Steps, movers, opp)), ...);
    return w;
}

int knight_checks(int w, int c, int king)
{
    static constexpr int HIGH[4] = {-19, -8, 12, 21};
    static constexpr int LOW[4] = {-21, -12, 8, 19};
    const uint32_t knights = piece_type[c][KNIGHT];
    const uint8_t opp = opponent_bit();
    auto jump = [&](int q) {
        if (echiquier[q] == EMPTY || (echiquier[q] & opp))
            w = push_from_slots(w, c, attaques[c][q] & knights, q);
    };
    if (echiquier[king + 1] != BORDER)
        for (int d : HIGH) jump(king + d);
    if (echiquier[king - 1] != BORDER)
        for (int d : LOW) jump(king + d);
    return w;
}

int pawn_checks(int w, int c, int king)
{
    const int f = trait;
    const uint8_t pawn = own_pawn_code();
    const uint8_t opp = opponent_bit();
    for (int q : {king - f - 10, king - f + 10}) {
        const uint8_t code = echiquier[q];
        if (code & opp) {
            if (attaques[c][q] & piece_type[c][PAWN]) {
                if (echiquier[q - f - 10] == pawn) w = push_plain(w, q - f - 10, q);
                if (echiquier[q - f + 10] == pawn) w = push_plain(w, q - f + 10, q);
            }
        } else if (code == EMPTY) {
            if (echiquier[q - f] == pawn)
                w = push_move(w, make_move_word(q - f, q, PAWN));
            else if (double_step_rank[q] == f && echiquier[q - f] == EMPTY &&
                     echiquier[q - 2 * f] == pawn)
                w = push_move(w, make_move_word(q - 2 * f, q, PAWN));
        }
    }
    return w;
}

}  // namespace

int genere_echecs(int write)
{
    ++echecs_calls;
    const int c = colour_index(trait);
    const int king = king_square(1 - c);
    int w = write;

    const uint32_t straight = piece_type[c][ROOK] | piece_type[c][QUEEN];
    // Bishops on the other square colour than the king's never reach its diagonals.
    uint32_t diagonal = piece_type[c][QUEEN];
    if (cf[c][couleur_case[king]] != 0) diagonal |= piece_type[c][BISHOP];
    if (straight != 0) w = lines_checks<1, -1, 10, -10>(w, c, king, straight);
    if (diagonal != 0) w = lines_checks<-9, 11, -11, 9>(w, c, king, diagonal);

    if (piece_type[c][KNIGHT] != 0) w = knight_checks(w, c, king);
    if (piece_type[c][PAWN] != 0) w = pawn_checks(w, c, king);
    return w;
}
