// The special endings against a bare king. They read only the position record and the bit base,
// never the caches: their values are cheap, and a KPK value must follow the bit base exactly.
#include "eval/special.h"

#include "core/board.h"
#include "eval/bitbases.h"
#include "eval/endgame.h"

namespace {

// The square of colour c's only (or lowest-slot) pawn.
int first_pawn_square(int c)
{
    return static_cast<int>(ficha[c][lowest_bit[piece_type[c][PAWN]]].square);
}

// True when the king of colour c has no board square beside it that colour o leaves unattacked.
bool king_boxed_in(int c, int o)
{
    const int k = king_square(c);
    for (int step : KING_STEPS) {
        const int n = k + step;
        if (echiquier[n] != BORDER && attaques[o][n] == 0) return false;
    }
    return true;
}

}  // namespace

int kpk(int s)
{
    const int c = colour_index(s), o = 1 - c;
    const int king = king_square(c), defender = king_square(o), pawn = first_pawn_square(c);
    const bool won = kpk_won(trait == s ? 1 : 0, bitbase_square(s, king),
                             bitbase_square(s, defender), bitbase_square(s, pawn));
    const int front = pawn + s;
    return 5 * (relative_rank(colour_index(s), rangee[pawn]) + (won ? 170 : 10)) +
           3 * distance[defender][front] - distance[king][front];
}

int kbnk(int s)
{
    const int c = colour_index(s), o = 1 - c;
    const int king = king_square(c), defender = king_square(o);
    const bool defender_to_move = trait == -s;
    if (defender_to_move && king_boxed_in(o, c)) return 0;
    const int corner64 = cf[c][0] > 0 ? case64[defender] : mirror64(case64[defender]);
    const int t = KBNK_CORNER[corner64];
    const int dx = colonne[king] - colonne[defender], dy = rangee[king] - rangee[defender];
    const int euclid = static_cast<int>(sqrt_1024[dx * dx + dy * dy] >> 7);
    return t - euclid + (defender_to_move && t != 0 ? 740 : 750);
}

bool wrong_bishop_draw(int s)
{
    const int c = colour_index(s), o = 1 - c;
    if ((mk[c] & MK_NOT_BISHOPS) != 0 || (cf[c][0] != 0 && cf[c][1] != 0)) return false;
    const bool dark = cf[c][0] != 0;
    // The promotion corner the bishops do not control: a8 and h1 are light, h8 and a1 dark.
    const int corner = s > 0 ? (dark ? SQ_A8 : SQ_H8) : (dark ? SQ_H1 : SQ_A1);
    const int file = colonne[corner];
    if (pions_colonne[c][file] != nombre_pions[c]) return false;
    const int defender_distance = distance[king_square(o)][corner];
    if (defender_distance <= 1) return true;
    const int d = defender_distance + (trait == s ? 1 : 0);
    const int pawn_rank = s > 0 ? pion_plus_avance[c][file] : 9 - pion_plus_avance[c][file];
    return d < distance[king_square(c)][corner] && d < moves_to_promote(pawn_rank);
}

bool bare_king_ending(int* score)
{
    int s;
    if (mk[BLACK] == 0)
        s = 1;
    else if (mk[WHITE] == 0)
        s = -1;
    else
        return false;
    const int c = colour_index(s);
    if (nombre_pieces[c] == 0) {
        if (nombre_pions[c] != 1) return false;
        *score = kpk(s) * s * trait;
        return true;
    }
    if (nombre_pions[c] == 0) {
        if (mk[c] != MK_KNIGHT_BISHOP) return false;
        *score = kbnk(s) * s * trait;
        return true;
    }
    if (!wrong_bishop_draw(s)) return false;
    *score = 0;
    return true;
}
