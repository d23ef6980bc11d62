// Position set-up: builds every field of the position record from a board, reads FEN and EPD
// records and resets for a new game. A set-up either succeeds with a record that agrees with
// `echiquier` in every table, or fails with game state 9 and the record exactly as it was before.
#include "core/setup.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "caches/caches.h"
#include "core/board.h"
#include "core/game.h"
#include "core/keys.h"
#include "core/material.h"
#include "core/position_copy.h"
#include "core/tables.h"
#include "core/verify.h"
#include "platform/thread_state.h"

namespace {

constexpr int BISHOP_STEPS[4] = {-9, 11, -11, 9};
constexpr int ROOK_STEPS[4] = {1, -1, 10, -10};

// Everything a set-up writes, copied before the attempt so that a rejection can put it back;
// only save_record and restore_record touch it.
QV_THREAD_STATE PositionCopy saved;

void save_record()
{
    save_position(&saved);
}

void restore_record()
{
    load_position(saved);
}

// Only real piece codes reach the board; anything else in a caller's board reads as empty, so
// that no square can look like border or carry a colour without a type.
uint8_t piece_code(int32_t entry)
{
    const uint8_t code = static_cast<uint8_t>(entry & 0xff);
    const int type = type_of(code);
    const uint8_t colour = code & OCCUPIED_BITS;
    const bool one_colour = colour == WHITE_BIT || colour == BLACK_BIT;
    const bool real_type = type != NO_TYPE && type != SLIDER_BIT;
    return (one_colour && real_type && (code & ~(OCCUPIED_BITS | 7)) == 0) ? code : EMPTY;
}

void xor_steps(uint32_t* dest, int from, const int* steps, int count, uint32_t bit)
{
    for (int i = 0; i < count; ++i) dest[from + steps[i]] ^= bit;
}

// Each square of each ray up to and including the first one that is not empty.
void xor_rays(uint32_t* dest, int from, const int* steps, int count, uint32_t bit)
{
    for (int i = 0; i < count; ++i) {
        int sq = from + steps[i];
        while (echiquier[sq] == EMPTY) {
            dest[sq] ^= bit;
            sq += steps[i];
        }
        dest[sq] ^= bit;
    }
}

void colour_attacks(uint32_t* dest, int c)
{
    xor_steps(dest, king_square(c), KING_STEPS.data(), 8, 1);
    const int fwd = c == WHITE ? 1 : -1;
    const int pawn_steps[2] = {10 + fwd, -10 + fwd};  // the two forward diagonals
    const int types[5] = {PAWN, KNIGHT, BISHOP, ROOK, QUEEN};
    for (int type : types) {
        for (uint32_t m = piece_type[c][type]; m != 0;) {
            const Ficha& f = ficha[c][lowest_bit[m]];
            m ^= f.mask;
            const int sq = static_cast<int>(f.square);
            if (type == PAWN) xor_steps(dest, sq, pawn_steps, 2, f.mask);
            if (type == KNIGHT) xor_steps(dest, sq, KNIGHT_STEPS.data(), 8, f.mask);
            if (type == BISHOP || type == QUEEN) xor_rays(dest, sq, BISHOP_STEPS, 4, f.mask);
            if (type == ROOK || type == QUEEN) xor_rays(dest, sq, ROOK_STEPS, 4, f.mask);
        }
    }
}

// Kings, piece counts and pawn ranks of the board: prints the message and returns -1 when they
// are wrong.
int check_counts()
{
    int pieces[2] = {0, 0};
    int kings[2] = {0, 0};
    for (int sq = FIRST_SQUARE; sq <= LAST_SQUARE; ++sq) {
        const uint8_t code = echiquier[sq];
        if (!is_occupied(code)) continue;
        ++pieces[colour_of(code)];
        if (type_of(code) == KING) ++kings[colour_of(code)];
    }
    if (kings[WHITE] != 1 || kings[BLACK] != 1) {
        std::printf("Nombre de rois incorrect: %d roi(s) blanc(s) / %d roi(s) noir(s)\n",
                    kings[WHITE], kings[BLACK]);
        return -1;
    }
    if (pieces[WHITE] > 16 || pieces[BLACK] > 16) {
        std::printf("Nombre de pieces incorrect: %d piece(s) blanche(s) / %d piece(s) noire(s)\n",
                    pieces[WHITE], pieces[BLACK]);
        return -1;
    }
    // The pawn terms read tables by rank up to the seventh and count moves to promotion: a
    // pawn on the first or last rank would index past them and divide by zero.
    for (int file = 1; file <= 8; ++file)
        for (int rank : {1, 8})
            if (type_of(echiquier[square_of(file, rank)]) == PAWN) {
                std::printf("Pion sur la premiere ou la derniere rangee\n");
                return -1;
            }
    return 0;
}

// The rights the board allows: each king and rook still on its starting square.
uint32_t board_castling()
{
    uint32_t rights = 0;
    if (echiquier[SQ_E1] == (WHITE_BIT | KING)) {
        if (echiquier[SQ_A1] == (WHITE_BIT | ROOK)) rights |= WHITE_QUEEN_SIDE;
        if (echiquier[SQ_H1] == (WHITE_BIT | ROOK)) rights |= WHITE_KING_SIDE;
    }
    if (echiquier[SQ_E8] == (BLACK_BIT | KING)) {
        if (echiquier[SQ_A8] == (BLACK_BIT | ROOK)) rights |= BLACK_QUEEN_SIDE;
        if (echiquier[SQ_H8] == (BLACK_BIT | ROOK)) rights |= BLACK_KING_SIDE;
    }
    return rights;
}

// The board code of a FEN piece letter, EMPTY for any other character.
uint8_t fen_piece_code(char ch)
{
    constexpr char LETTERS[] = "PKN.BRQ";  // by type - 1
    for (int i = 0; i < 7; ++i) {
        if (LETTERS[i] == '.') continue;
        if (ch == LETTERS[i]) return static_cast<uint8_t>(WHITE_BIT | (i + 1));
        if (ch == LETTERS[i] - 'A' + 'a') return static_cast<uint8_t>(BLACK_BIT | (i + 1));
    }
    return EMPTY;
}

int reject_setup()
{
    restore_record();
    game_state = GAME_ILLEGAL_POSITION;
    return -1;
}

}  // namespace

int init_ficha()
{
    std::memset(piece_type, 0, sizeof piece_type);
    std::memset(pieces_glissantes_mask, 0, sizeof pieces_glissantes_mask);
    int next_slot[2] = {1, 1};
    for (int sq = FIRST_SQUARE; sq <= LAST_SQUARE; ++sq) {
        const uint8_t code = echiquier[sq];
        if (!is_occupied(code)) continue;
        const int c = colour_of(code);
        const int type = type_of(code);
        int slot = 0;
        if (type != KING) {
            if (next_slot[c] > 15) return -1;
            slot = next_slot[c]++;
        }
        Ficha& f = ficha[c][slot];
        f.square = static_cast<uint32_t>(sq);
        case_ficha[sq] = &f;
        piece_type[c][type] |= f.mask;
        if (is_slider(type)) pieces_glissantes_mask[c] |= f.mask;
    }
    return 0;
}

void calcule_attaques(uint32_t dest[2][BOARD_SIZE])
{
    std::memset(dest, 0, sizeof(uint32_t) * 2 * BOARD_SIZE);
    colour_attacks(dest[BLACK], BLACK);
    colour_attacks(dest[WHITE], WHITE);
}

int32_t init_position(uint32_t castling, uint32_t ep_square)
{
    Etat* e = pos();
    std::memset(e, 0, sizeof(Etat));
    nombre_pieces[BLACK] = nombre_pieces[WHITE] = -1;
    nombre_pions[BLACK] = nombre_pions[WHITE] = 0;
    std::memset(cf, 0, sizeof cf);
    mk[BLACK] = mk[WHITE] = 0;
    mk3 = 0;
    int seen[12] = {};

    e->roque = board_castling() & castling;
    for (int sq = FIRST_SQUARE; sq <= LAST_SQUARE; ++sq) {
        const uint8_t code = echiquier[sq];
        if (!is_occupied(code)) continue;
        const int c = colour_of(code);
        const int type = type_of(code);
        const int kind = kind_of_type[type] + 6 * c;
        e->materiel[c] += valeur_piece[type];
        if (type == PAWN) {
            ++nombre_pions[c];
            e->pawn_key ^= psq_keys[kind][case64[sq]];
        } else {
            ++nombre_pieces[c];
            e->piece_key ^= psq_keys[kind][case64[sq]];
        }
        mk[c] += count_increment[type];
        mk3 ^= material_keys[kind][seen[kind]++ & 15];
        if (type == BISHOP) ++cf[c][couleur_case[sq]];
    }
    e->hash_key = castle_keys[e->roque] ^ e->pawn_key ^ e->piece_key;
    if (ep_square != 0) {
        e->case_ep = ep_square;
        e->hash_key ^= ep_keys[case64[ep_square]];
    }
    e->score_materiel = evalue_materiel();
    return e->score_materiel;
}

void init_pions()
{
    for (int f = 0; f < 10; ++f) {
        pions_colonne[BLACK][f] = pions_colonne[WHITE][f] = 0;
        pion_plus_avance[WHITE][f] = 0;
        pion_plus_avance[BLACK][f] = 9;
        pion_moins_avance[WHITE][f] = 9;
        pion_moins_avance[BLACK][f] = 0;
    }
    for (int sq = FIRST_SQUARE; sq <= LAST_SQUARE; ++sq) {
        const uint8_t code = echiquier[sq];
        if (!is_occupied(code) || type_of(code) != PAWN) continue;
        const int file = colonne[sq];
        const int rank = rangee[sq];
        if (colour_of(code) == WHITE) {
            ++pions_colonne[WHITE][file];
            if (rank < pion_moins_avance[WHITE][file]) pion_moins_avance[WHITE][file] = rank;
            if (rank > pion_plus_avance[WHITE][file]) pion_plus_avance[WHITE][file] = rank;
        } else {
            ++pions_colonne[BLACK][file];
            if (rank > pion_moins_avance[BLACK][file]) pion_moins_avance[BLACK][file] = rank;
            if (rank < pion_plus_avance[BLACK][file]) pion_plus_avance[BLACK][file] = rank;
        }
    }
}

namespace {

// An en-passant square is kept only where a pawn of the side not to move can just have passed
// over it: on the sixth rank with White to move (the third with Black), empty, with its start
// square empty and the pawn beyond it. Any other square would have the en-passant capture take
// a piece of the mover's own or none at all, and leave the record corrupted.
bool en_passant_possible(uint32_t ep_square, int side)
{
    if (ep_square == 0 || ep_square >= BOARD_SIZE) return false;
    const int sq = static_cast<int>(ep_square);
    const uint8_t enemy_pawn = static_cast<uint8_t>(colour_bit(-side) | PAWN);
    return rangee[sq] == (side > 0 ? 6 : 3) && echiquier[sq] == EMPTY &&
           echiquier[sq + side] == EMPTY && echiquier[sq - side] == enemy_pawn;
}

}  // namespace

int init_echiquier(const int32_t* board, int side, uint32_t castling, uint32_t ep_square)
{
    save_record();
    trait = side;
    ply = 0;
    game_state = GAME_IN_PROGRESS;
    if (board != nullptr) {
        for (int i = 0; i < 64; ++i) echiquier[case120[i]] = piece_code(board[i]);
    } else {
        castling = 15;
        ep_square = 0;
    }
    if (!en_passant_possible(ep_square, side)) ep_square = 0;

    if (check_counts() != 0) return reject_setup();
    if (init_ficha() != 0) {
        std::printf("Erreur lors de l'initialisation de ficha\n");
        return reject_setup();
    }
    calcule_attaques(attaques);
    const int mover = colour_index(trait);
    if (attaques[mover][king_square(1 - mover)] != 0) {
        std::printf("Le roi adverse est en prise\n");
        return reject_setup();
    }
    init_position(castling, ep_square);
    init_pions();
    verifie_position("Apres initialisation de l'echiquier\n");
    return 0;
}

void set_halfmove_clock(int32_t plies)
{
    // Beyond a hundred plies the rule has already spoken; the bound keeps the sum in range.
    etats[ply].irreversible = ply - std::clamp(plies, 0, 100);
}

int restart_game_here()
{
    int32_t board[64];
    for (int i = 0; i < 64; ++i) board[i] = echiquier[case120[i]];
    const Etat here = *pos();
    const int32_t halfmove = ply - here.irreversible;
    if (init_echiquier(board, trait, here.roque, here.case_ep) < 0) return -1;
    set_halfmove_clock(halfmove);
    return 0;
}

int parse_fen(const char* text, FenRecord* out)
{
    const char* p = text;
    // Moves past the current character and the blanks after it; stays put at the end.
    auto skip = [&p] {
        if (*p == 0) return;
        ++p;
        while (*p == ' ' || *p == '\t') ++p;
    };

    // Placement, in FEN order: a8, b8, .., h8, a7, .., h1.
    int32_t fen_board[64] = {};
    int passed = 0;
    for (; passed != 64; ++p) {
        if (passed > 63) return -1;  // a digit ran past h1
        if (*p == ' ') break;
        const uint8_t code = fen_piece_code(*p);
        if (code != EMPTY)
            fen_board[passed++] = code;
        else if (*p >= '1' && *p <= '8')
            passed += *p - '0';
        else if (*p != '/' || passed % 8 != 0)
            return -1;  // also the end of the text inside the placement
    }

    skip();
    out->side = (*p == 'w' || *p == 'W') ? 1 : -1;
    skip();

    out->castling = 0;
    for (; *p != ' ' && *p != 0; ++p) {
        if (*p == 'K') out->castling |= WHITE_KING_SIDE;
        if (*p == 'Q') out->castling |= WHITE_QUEEN_SIDE;
        if (*p == 'k') out->castling |= BLACK_KING_SIDE;
        if (*p == 'q') out->castling |= BLACK_QUEEN_SIDE;
    }

    skip();
    out->ep_square = 0;
    if (*p != '-' && *p != 0) {
        const char file = *p++;
        const char rank = *p;
        if (rank != 0) ++p;
        if (file >= 'a' && file <= 'h' && rank >= '1' && rank <= '8')
            out->ep_square = static_cast<uint32_t>(square_of(file - 'a' + 1, rank - '0'));
    }
    skip();

    out->has_best_move = false;
    out->best_move[0] = '\0';
    if (*p == 'b' && p[1] == 'm') {
        ++p;
        skip();
        int n = 0;
        for (; n < BEST_MOVE_CHARS && *p != ';' && *p != 0; ++n) out->best_move[n] = *p++;
        out->best_move[n] = '\0';
        out->has_best_move = true;
    } else if (*p == 'b') {
        ++p;
    }

    skip();
    out->rest = p;
    for (int i = 0; i < 64; ++i) out->board[8 * (i % 8) + 7 - i / 8] = fen_board[i];
    return 0;
}

int lit_fen(const char* text)
{
    FenRecord fen;
    if (parse_fen(text, &fen) < 0) return -1;
    if (fen.has_best_move) std::printf("{ Coup : %s }\n", fen.best_move);
    std::printf("%s\n", fen.rest);
    clear_caches();
    return init_echiquier(fen.board, fen.side, fen.castling, fen.ep_square);
}

void nouvelle_partie()
{
    init_echiquier(initial_board.data(), 1, 15, 0);
    resign_ply[BLACK] = resign_ply[WHITE] = NO_RESIGN_PLY;
    clear_caches();
}
