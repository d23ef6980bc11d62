// Reading algebraic notation: the text is cut into what it states (piece, optional from-file
// and from-rank, target square, promotion) and every legal move of the position is compared
// with it. The capture mark is not checked: the target square already says what is taken.
#include "tools/san.h"

#include <cstring>
#include <string>

#include "core/board.h"
#include "core/makemove.h"
#include "core/tables.h"
#include "movegen/movegen.h"

namespace {

// What a text states about its move; 0 where it says nothing.
struct SanPattern {
    int piece = PAWN;
    int from_file = 0;  // 1..8
    int from_rank = 0;  // 1..8
    int to = 0;         // mailbox square; 0 for castling
    int promotion = NO_TYPE;
    int castle = 0;  // +1 king side, -1 queen side
};

int piece_of_letter(char c)
{
    switch (c) {
        case 'K':
            return KING;
        case 'Q':
            return QUEEN;
        case 'R':
            return ROOK;
        case 'B':
            return BISHOP;
        case 'N':
            return KNIGHT;
        default:
            return NO_TYPE;
    }
}

bool is_file(char c)
{
    return c >= 'a' && c <= 'h';
}
bool is_rank(char c)
{
    return c >= '1' && c <= '8';
}

// The text without its trailing check, mate and annotation marks.
std::string core_of(const char* text)
{
    std::string s(text);
    while (!s.empty() && std::strchr("+#!?", s.back()) != nullptr) s.pop_back();
    return s;
}

bool parse_castle(const std::string& s, SanPattern* p)
{
    if (s == "O-O" || s == "0-0")
        p->castle = 1;
    else if (s == "O-O-O" || s == "0-0-0")
        p->castle = -1;
    else
        return false;
    p->piece = KING;
    return true;
}

// Piece moves and pawn moves: [piece][file][rank][x]square[[=]promotion].
bool parse_pattern(const std::string& text, SanPattern* p)
{
    if (parse_castle(text, p)) return true;
    std::string s = text;
    if (!s.empty() && piece_of_letter(s[0]) != NO_TYPE) {
        p->piece = piece_of_letter(s[0]);
        s.erase(0, 1);
    }
    // The promotion, with or without "=", follows the target square of a pawn.
    if (p->piece == PAWN && s.size() >= 3 && piece_of_letter(s.back()) != NO_TYPE &&
        s.back() != 'K') {
        p->promotion = piece_of_letter(s.back());
        s.pop_back();
        if (!s.empty() && s.back() == '=') s.pop_back();
    }
    if (s.size() < 2 || !is_file(s[s.size() - 2]) || !is_rank(s.back())) return false;
    p->to = square_of(s[s.size() - 2] - 'a' + 1, s.back() - '0');
    s.resize(s.size() - 2);
    if (!s.empty() && s.back() == 'x') s.pop_back();
    if (!s.empty() && is_rank(s.back())) {
        p->from_rank = s.back() - '0';
        s.pop_back();
    }
    if (!s.empty() && is_file(s.back())) {
        p->from_file = s.back() - 'a' + 1;
        s.pop_back();
    }
    if (!s.empty()) return false;
    // A pawn that does not capture stays on its file.
    if (p->piece == PAWN && p->from_file == 0) p->from_file = colonne[p->to];
    return true;
}

bool fits(const SanPattern& p, Move m)
{
    const int from = move_from(m), to = move_to(m);
    if (move_piece(m) != p.piece) return false;
    if (p.castle != 0) return to == from + 20 * p.castle;
    if (to != p.to || move_promotion(m) != p.promotion) return false;
    if (p.piece == KING && (to == from + 20 || to == from - 20)) return false;  // castling
    if (p.from_file != 0 && colonne[from] != p.from_file) return false;
    return p.from_rank == 0 || rangee[from] == p.from_rank;
}

bool legal(Move m)
{
    make_move(m);
    const bool ok = !own_king_attacked_after_move();
    unmake_move(m);
    return ok;
}

}  // namespace

SanResult san_to_move(const char* text, Move* move)
{
    SanPattern pattern;
    if (!parse_pattern(core_of(text), &pattern)) return SanResult::UNREADABLE;
    if (ply >= MAX_PLY_RECORDS - 1) return SanResult::ILLEGAL;
    if (in_check())
        genere_evasions(0);
    else
        genere_all_moves(0);
    int found = 0;
    for (int i = ply_start[0]; i < ply_start[1]; ++i) {
        const Move m = move_stack[i].move;
        if (!fits(pattern, m) || !legal(m)) continue;
        *move = m;
        ++found;
    }
    if (found == 0) return SanResult::ILLEGAL;
    return found == 1 ? SanResult::OK : SanResult::AMBIGUOUS;
}
