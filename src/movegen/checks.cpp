// The generator of direct checks: moves that put the moving piece itself on a line, knight
// square or pawn-check square of the opponent king. Walking out from the king keeps every
// target on a clear line to it; discovered checks, castling and promotions are not produced.
#include "movegen/movegen_internal.h"

namespace {

using namespace movegen_detail;

// Slider checks along the eight lines from the king: every piece of the line's movers (`straight`
// on the ranks and files, `diagonal` on the diagonals) attacking an empty square of the line
// gives a quiet check there, and a capture on the first occupied square when it holds an
// opponent piece. Lines in the order 1, -1, 10, -10, -9, 11, -11, 9.
int line_checks(int w, int c, int king, uint32_t straight, uint32_t diagonal)
{
    static constexpr int LINES[8] = {1, -1, 10, -10, -9, 11, -11, 9};
    const uint8_t opp = opponent_bit();
    for (int i = 0; i < 8; ++i) {
        const uint32_t movers = i < 4 ? straight : diagonal;
        if (movers == 0) continue;
        const int d = LINES[i];
        int q = king + d;
        while (echiquier[q] == EMPTY) {
            w = push_from_slots(w, c, attaques[c][q] & movers, q);
            q += d;
        }
        if (echiquier[q] & opp) w = push_from_slots(w, c, attaques[c][q] & movers, q);
    }
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
    if ((straight | diagonal) != 0) w = line_checks(w, c, king, straight, diagonal);

    if (piece_type[c][KNIGHT] != 0) w = knight_checks(w, c, king);
    if (piece_type[c][PAWN] != 0) w = pawn_checks(w, c, king);
    return w;
}
