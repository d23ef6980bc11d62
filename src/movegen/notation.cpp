// Move text in both directions and the legality test of a typed move. The text buffer is one
// static array overwritten by every call; parsing reads at most five characters and builds the
// move word exactly as the generators encode it, so a parsed move compares equal to theirs.
#include "movegen/notation.h"

#include <cstdio>

#include "core/board.h"
#include "core/makemove.h"
#include "core/repetition.h"
#include "core/tables.h"
#include "movegen/movegen.h"
#include "platform/thread_state.h"

namespace {

// The longest text is "e5xd6/ep" (8 characters); the rest is headroom.
QV_THREAD_STATE char text_buffer[16];

struct TextWriter {
    char* out;
    void put(char c) { *out++ = c; }
    void put(const char* s)
    {
        while (*s) *out++ = *s++;
    }
    void file(int sq) { put(static_cast<char>('a' - 1 + colonne[sq])); }
    void rank(int sq) { put(static_cast<char>('0' + rangee[sq])); }
    void square(int sq)
    {
        file(sq);
        rank(sq);
    }
};

bool is_en_passant_shape(int from, int to, int captured)
{
    const int step = to - from;
    return captured == 0 && (step == -9 || step == 11 || step == -11 || step == 9);
}

void write_pawn_move(TextWriter& w, Move m, bool short_form)
{
    const int from = move_from(m), to = move_to(m), promotion = move_promotion(m);
    const bool en_passant = is_en_passant_shape(from, to, move_captured(m));
    if (move_captured(m) != 0 || en_passant) {
        w.file(from);
        if (!short_form) w.rank(from);
        w.put('x');
    }
    w.square(to);
    if (promotion != 0) {
        w.put('=');
        w.put(type_letters[promotion]);
    } else if (en_passant) {
        w.put("/ep");
    }
}

void write_king_move(TextWriter& w, Move m, bool short_form)
{
    const int from = move_from(m), to = move_to(m);
    if (to == from - 20) return w.put("O-O-O");
    if (to == from + 20) return w.put("O-O");
    w.put('K');
    if (!short_form) w.square(from);
    if (move_captured(m) != 0) w.put('x');
    w.square(to);
}

// Names as much of the from square as tells the move apart from the other pieces of the same
// type that attack the target (attack masks, so a pinned piece still counts).
void write_disambiguation(TextWriter& w, int from, int to, int type)
{
    // A move that is not on the board has no slot to leave out (and a stale reference).
    if (!is_occupied(echiquier[from])) return;
    const int mover = colour_index(trait);
    uint32_t others = attaques[mover][to] & piece_type[mover][type] & ~case_ficha[from]->mask;
    if (others == 0) return;
    uint32_t shared = 0;
    while (others != 0) {
        const int slot = lowest_bit[others & SLOT_BITS];
        others &= others - 1;
        shared |= file_rank_bits[ficha[mover][slot].square];
    }
    shared &= file_rank_bits[from];
    if ((shared & 0xff) == 0) {
        w.file(from);
    } else if ((shared & 0xff00) != 0) {
        w.square(from);
    } else {
        w.rank(from);
    }
}

void write_piece_move(TextWriter& w, Move m, bool short_form)
{
    const int from = move_from(m), to = move_to(m), type = move_piece(m);
    w.put(type_letters[type]);
    if (short_form)
        write_disambiguation(w, from, to, type);
    else
        w.square(from);
    if (move_captured(m) != 0) w.put('x');
    w.square(to);
}

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Square of a file letter and rank digit, or 0 when they do not name one.
int parse_square(char file, char rank)
{
    file = lower(file);
    if (file < 'a' || file > 'h' || rank < '1' || rank > '8') return 0;
    return square_of(file - 'a' + 1, rank - '0');
}

int parse_promotion(char c)
{
    switch (lower(c)) {
        case 'q':
            return QUEEN;
        case 'r':
            return ROOK;
        case 'b':
            return BISHOP;
        case 'n':
            return KNIGHT;
        default:
            return NO_TYPE;
    }
}

}  // namespace

const char* move_to_text(Move m, bool short_form)
{
    TextWriter w{text_buffer};
    if (m == NULL_MOVE) {
        w.put("//");
    } else if (move_piece(m) == PAWN) {
        write_pawn_move(w, m, short_form);
    } else if (move_piece(m) == KING) {
        write_king_move(w, m, short_form);
    } else {
        write_piece_move(w, m, short_form);
    }
    w.put('\0');
    return text_buffer;
}

Move text_to_move(const char* text)
{
    // Each test stops at the terminator, so a short text never reads past its end.
    if (text[0] == '\0' || text[1] == '\0' || text[2] == '\0' || text[3] == '\0') return 0;
    const int from = parse_square(text[0], text[1]);
    const int to = parse_square(text[2], text[3]);
    if (from == 0 || to == 0) return 0;
    return make_move_word(from, to, type_of(echiquier[from]), type_of(echiquier[to]),
                          parse_promotion(text[4]));
}

int is_legal_move(Move m)
{
    if (in_check())
        genere_evasions(0);
    else
        genere_all_moves(0);
    bool listed = false;
    for (int i = ply_start[0]; i < ply_start[1] && !listed; ++i) listed = move_stack[i].move == m;
    if (!listed) return 0;
    make_move(m);
    const int legal = own_king_attacked_after_move() ? 0 : 1;
    unmake_move(m);
    return legal;
}

void print_search_path()
{
    std::printf(" >> ");
    for (int p = root_ply < 0 ? 0 : root_ply; p < ply; ++p)
        std::printf("%s ", move_to_text(etats[p].coup, false));
    std::printf(" << ");
}
