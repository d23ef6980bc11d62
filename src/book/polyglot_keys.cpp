// Polyglot keys and move fields from the engine's position record. The key is recomputed from
// the board on each call (64 squares), which a book probe can afford; it depends only on the
// board, the castling rights, the en-passant square and the side to move.
#include "book/polyglot_keys.h"

#include <cstdio>

#include "core/board.h"
#include "movegen/notation.h"

namespace {

int file_of_square(int sq)
{
    return sq / 10 - 2;  // 0 (a) .. 7 (h)
}

int rank_of_square(int sq)
{
    return sq % 10 - 1;  // 0 (1) .. 7 (8)
}

// The format's piece kind: twice the piece index (pawn 0, knight 1, bishop 2, rook 3, queen 4,
// king 5), plus one for White.
int polyglot_kind(uint8_t code)
{
    static constexpr int INDEX_OF_TYPE[8] = {-1, 0, 5, 1, -1, 2, 3, 4};
    return 2 * INDEX_OF_TYPE[type_of(code)] + colour_of(code);
}

// True when a pawn of the side to move stands beside the pawn that just stepped two squares.
bool en_passant_counts(int ep)
{
    const int pushed = ep + (trait == 1 ? -1 : 1);  // one rank towards the side that pushed
    const uint8_t own_pawn = colour_bit(trait) | PAWN;
    return echiquier[pushed - 10] == own_pawn || echiquier[pushed + 10] == own_pawn;
}

}  // namespace

uint64_t polyglot_key()
{
    uint64_t key = 0;
    for (int sq = FIRST_SQUARE; sq <= LAST_SQUARE; ++sq) {
        const uint8_t code = echiquier[sq];
        if (is_border(code) || !is_occupied(code)) continue;
        key ^=
            POLYGLOT_RANDOM[64 * polyglot_kind(code) + 8 * rank_of_square(sq) + file_of_square(sq)];
    }
    const uint32_t rights = pos()->roque;
    static constexpr uint32_t RIGHT_ORDER[4] = {WHITE_KING_SIDE, WHITE_QUEEN_SIDE, BLACK_KING_SIDE,
                                                BLACK_QUEEN_SIDE};
    for (int i = 0; i < 4; ++i)
        if (rights & RIGHT_ORDER[i]) key ^= POLYGLOT_RANDOM[POLYGLOT_CASTLE_OFFSET + i];
    const int ep = static_cast<int>(pos()->case_ep);
    if (ep != 0 && en_passant_counts(ep))
        key ^= POLYGLOT_RANDOM[POLYGLOT_EP_OFFSET + file_of_square(ep)];
    if (trait == 1) key ^= POLYGLOT_RANDOM[POLYGLOT_TURN_OFFSET];
    return key;
}

uint16_t polyglot_move_of(Move m)
{
    const int from = move_from(m);
    int to = move_to(m);
    // A king's two-file step is castling: the field names the rook's corner instead.
    if (move_piece(m) == KING && (to - from == 20 || from - to == 20))
        to = to > from ? from + 30 : from - 40;
    static constexpr int PROMOTION_CODE[8] = {0, 0, 0, 1, 0, 2, 3, 4};
    const int promo = PROMOTION_CODE[move_promotion(m)];
    return static_cast<uint16_t>(file_of_square(to) | rank_of_square(to) << 3 |
                                 file_of_square(from) << 6 | rank_of_square(from) << 9 |
                                 promo << 12);
}

const char* polyglot_move_text(uint16_t field)
{
    static char text[8];
    int to_file = field & 7, to_rank = (field >> 3) & 7;
    const int from_file = (field >> 6) & 7, from_rank = (field >> 9) & 7;
    const int promo = (field >> 12) & 7;
    // The king on its own start square "taking" a corner of its rank is castling.
    const int from = square_of(from_file + 1, from_rank + 1);
    const uint8_t piece = echiquier[from];
    const bool home = (from_rank == 0 || from_rank == 7) && from_file == 4;
    if (home && type_of(piece) == KING && to_rank == from_rank && (to_file == 7 || to_file == 0))
        to_file = to_file == 7 ? 6 : 2;
    static constexpr char PROMOTION_LETTER[8] = {0, 'n', 'b', 'r', 'q', 0, 0, 0};
    std::snprintf(text, sizeof text, "%c%c%c%c%c", 'a' + from_file, '1' + from_rank, 'a' + to_file,
                  '1' + to_rank, PROMOTION_LETTER[promo]);
    return text;
}

Move move_of_polyglot(uint16_t field)
{
    if ((field >> 12) > 4) return 0;  // promotion code out of range, or bit 15 set
    const Move m = text_to_move(polyglot_move_text(field));
    return m != 0 && is_legal_move(m) ? m : 0;
}
