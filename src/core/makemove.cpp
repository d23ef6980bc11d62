// make_move and unmake_move: every field of the position record is carried forward by touching
// only what the move changes. Each routine runs its steps in one fixed order (own attacks off,
// capture or cut at the destination, board, extend at the origin, own attacks on, slot, rights,
// keys); unmake runs the inverse steps backwards, so each XOR walk sees the board it saw before.
#include "core/makemove.h"

#include "core/board.h"
#include "core/keys.h"
#include "core/material.h"
#include "core/pawn_files.h"
#include "core/rays.h"
#include "core/tables.h"

uint64_t make_move_calls;

namespace {

// One make or unmake: the decoded move word and what every step reads, taken once. The attack
// tables and counters are 32-bit globals that the compiler must assume may alias `ply`, `trait`
// and the ply records, so the steps read these locals rather than the globals.
struct MoveFields {
    int type;
    int from;
    int to;
    int captured;
    int promotion;
    int side;          // `trait` of the mover: also its pawns' forward step
    int c;             // the mover's colour index
    int o;             // the other colour's
    int32_t next_ply;  // ply index of the position after the move
    Etat* cur;         // the record the move is made from
    Etat* next;        // the record it is made into (written by make only)
};

MoveFields decode(Move m, int side, int from_ply)
{
    MoveFields mv;
    mv.type = move_piece(m);
    mv.from = move_from(m);
    mv.to = move_to(m);
    mv.captured = move_captured(m);
    mv.promotion = move_promotion(m);
    mv.side = side;
    mv.c = side > 0 ? WHITE : BLACK;
    mv.o = mv.c ^ 1;
    mv.next_ply = from_ply + 1;
    mv.cur = &etats[from_ply];
    mv.next = &etats[from_ply + 1];
    return mv;
}

// ---- captures -----------------------------------------------------------------------------------

// The victim of type t and colour o on sq (still on the board) leaves the board-side state and
// next's material (next's keys are written before, with the whole move's); its pawns advance by
// `forward`.
void take_out(int t, int sq, int o, uint32_t* table, int forward, Etat& cur, Etat& next)
{
    Ficha* victim = case_ficha[sq];
    const uint32_t bit = victim->mask;

    cur.ficha_prise = slot_of(victim);
    piece_type[o][t] &= ~bit;
    next.materiel[o] = cur.materiel[o] - valeur_piece[t];
    if (t == PAWN) {
        --nombre_pions[o];
        mk[o] -= 1;
        mk3 ^= material_keys[6 * o][nombre_pions[o]];
        toggle_pawn(table, sq, forward, bit);
        pawn_leaves_file(o, sq);
        return;
    }
    const int kind = kind_of_type[t];
    --nombre_pieces[o];
    mk[o] -= count_increment[t];
    mk3 ^= material_keys[kind + 6 * o][bit_count[piece_type[o][t]]];
    if (t == KNIGHT) {
        toggle_knight(table, sq, bit);
        return;
    }
    if (t == BISHOP) --cf[o][couleur_case[sq]];
    pieces_glissantes_mask[o] &= ~bit;
    toggle_slider(t, sq, table, bit);
}

// The inverse of take_out, from cur's `ficha_prise`.
void put_back(int t, int sq, int o, uint32_t* table, int forward, const Etat& cur)
{
    Ficha* victim = &ficha[o][cur.ficha_prise];
    const uint32_t bit = victim->mask;

    case_ficha[sq] = victim;
    echiquier[sq] = static_cast<uint8_t>(colour_bit_of_index(o) + t);
    if (t == PAWN) {
        mk[o] += 1;
        mk3 ^= material_keys[6 * o][nombre_pions[o]];
        ++nombre_pions[o];
        toggle_pawn(table, sq, forward, bit);
        pawn_enters_file(o, sq);
    } else {
        ++nombre_pieces[o];
        mk[o] += count_increment[t];
        mk3 ^= material_keys[kind_of_type[t] + 6 * o][bit_count[piece_type[o][t]]];
        if (t == KNIGHT) {
            toggle_knight(table, sq, bit);
        } else {
            if (t == BISHOP) ++cf[o][couleur_case[sq]];
            pieces_glissantes_mask[o] |= bit;
            toggle_slider(t, sq, table, bit);
        }
    }
    piece_type[o][t] |= bit;
}

// ---- shared steps -------------------------------------------------------------------------------

// The mover's own attacks, by kind of routine: SLIDER_BIT stands for the three sliders, whose
// rays along their line of travel (`line`) are left to slide_along.
template <int T>
void toggle_own(int type, int sq, uint32_t* table, uint32_t bit, int line)
{
    if constexpr (T == KNIGHT)
        toggle_knight(table, sq, bit);
    else if constexpr (T == KING)
        toggle_king(table, sq);
    else
        toggle_slider_across(type, sq, table, bit, line);
}

// A slider going from `from` to `to` along `line`: its two rays on that line, off at `from` on
// the old board and on at `to` on the new one, cover the same squares but for `from` and `to`
// (the squares between are in both; past the empty destination the old ray ran exactly as far
// as the new one runs). After a capture the old ray stopped at `to`, so the new one beyond it
// is walked. The same XORs take the rays back in unmake.
void slide_along(uint32_t* table, int from, int to, int line, uint32_t bit, int captured)
{
    table[from] ^= bit;
    table[to] ^= bit;
    if (captured != 0) toggle_ray(table, to, line, bit);
}

// Without a capture the other side's material and the reversible count carry over.
void carry_over(const MoveFields& mv)
{
    mv.next->materiel[mv.o] = mv.cur->materiel[mv.o];
    mv.next->irreversible = mv.cur->irreversible;
}

void move_on_board(int from, int to)
{
    echiquier[to] = echiquier[from];
    echiquier[from] = EMPTY;
}

// Taking back a move to `to`: the victim returns, or `to` empties and the rays through it are
// extended again. Scalar arguments: it is shared by several routines and stays out of line.
void restore_destination(int captured, int to, int o, int side, const Etat& cur)
{
    if (captured != 0) {
        put_back(captured, to, o, attaques[o], -side, cur);
    } else {
        echiquier[to] = EMPTY;
        toggle_beyond_both(to);
    }
}

// The en-passant target after a pawn move: the square passed over by a double step, when an
// enemy pawn stands beside the destination to use it.
uint32_t en_passant_target(const MoveFields& mv)
{
    if ((mv.to - mv.from) * mv.side != 2) return 0;
    const uint8_t enemy_pawn = colour_bit_of_index(mv.o) + PAWN;
    if (echiquier[mv.to - 10] != enemy_pawn && echiquier[mv.to + 10] != enemy_pawn) return 0;
    return static_cast<uint32_t>(mv.to - mv.side);
}

// ---- knight, king and sliders -------------------------------------------------------------------

template <int T>
void make_piece(const MoveFields& mv)
{
    Etat& cur = *mv.cur;
    Etat& next = *mv.next;
    uint32_t* own = attaques[mv.c];
    Ficha* slot = case_ficha[mv.from];
    const uint32_t bit = slot->mask;
    const int line = T == SLIDER_BIT ? direction[mv.from * 100 + mv.to] : 0;

    next.materiel[mv.c] = cur.materiel[mv.c];
    toggle_own<T>(mv.type, mv.from, own, bit, line);
    if (mv.captured != 0) {
        next.irreversible = mv.next_ply;
        take_out(mv.captured, mv.to, mv.o, attaques[mv.o], -mv.side, cur, next);
    } else {
        carry_over(mv);
        // No enemy slider reaches a square a king may step to.
        if constexpr (T == KING)
            toggle_beyond(mv.c, mv.to);
        else
            toggle_beyond_both(mv.to, mv.c, T == SLIDER_BIT ? bit : 0);
    }
    move_on_board(mv.from, mv.to);
    toggle_beyond_both(mv.from);
    toggle_own<T>(mv.type, mv.to, own, bit, line);
    if constexpr (T == SLIDER_BIT) slide_along(own, mv.from, mv.to, line, bit, mv.captured);
    slot->square = static_cast<uint32_t>(mv.to);
    case_ficha[mv.to] = slot;
}

template <int T>
void unmake_piece(const MoveFields& mv)
{
    uint32_t* own = attaques[mv.c];
    Ficha* slot = case_ficha[mv.to];
    const uint32_t bit = slot->mask;
    const int line = T == SLIDER_BIT ? direction[mv.from * 100 + mv.to] : 0;

    toggle_own<T>(mv.type, mv.to, own, bit, line);
    toggle_beyond_both(mv.from, mv.c, T == SLIDER_BIT ? bit : 0);
    echiquier[mv.from] = echiquier[mv.to];
    slot->square = static_cast<uint32_t>(mv.from);
    case_ficha[mv.from] = slot;
    restore_destination(mv.captured, mv.to, mv.o, mv.side, *mv.cur);
    toggle_own<T>(mv.type, mv.from, own, bit, line);
    if constexpr (T == SLIDER_BIT) slide_along(own, mv.from, mv.to, line, bit, mv.captured);
}

// ---- castling -----------------------------------------------------------------------------------

// The king goes from `from` to `to`, the rook from rook_from to rook_to. Only the mover's rays
// change on the board squares: no enemy slider reaches the squares castling uses, and the own
// rays through the two destination squares lead only to the border beyond them.
void make_castling(const MoveFields& mv, int rook_from, int rook_to)
{
    Etat& cur = *mv.cur;
    Etat& next = *mv.next;
    const int c = mv.c;
    Ficha* king = case_ficha[mv.from];
    Ficha* rook = case_ficha[rook_from];

    next.materiel[0] = cur.materiel[0];
    next.materiel[1] = cur.materiel[1];
    next.irreversible = cur.irreversible;
    toggle_king(attaques[c], mv.from);
    toggle_slider(ROOK, rook_from, attaques[c], rook->mask);
    rook->square = static_cast<uint32_t>(rook_to);
    case_ficha[rook_to] = rook;
    move_on_board(mv.from, mv.to);
    move_on_board(rook_from, rook_to);
    toggle_beyond(c, mv.from);
    toggle_slider(ROOK, rook_to, attaques[c], rook->mask);
    toggle_king(attaques[c], mv.to);
    king->square = static_cast<uint32_t>(mv.to);
    case_ficha[mv.to] = king;
}

void unmake_castling(const MoveFields& mv, int rook_from, int rook_to)
{
    const int c = mv.c;
    Ficha* king = case_ficha[mv.to];
    Ficha* rook = case_ficha[rook_to];

    toggle_king(attaques[c], mv.to);
    toggle_slider(ROOK, rook_to, attaques[c], rook->mask);
    toggle_beyond(c, mv.from);
    move_on_board(mv.to, mv.from);
    move_on_board(rook_to, rook_from);
    rook->square = static_cast<uint32_t>(rook_from);
    case_ficha[rook_from] = rook;
    king->square = static_cast<uint32_t>(mv.from);
    case_ficha[mv.from] = king;
    toggle_king(attaques[c], mv.from);
    toggle_slider(ROOK, rook_from, attaques[c], rook->mask);
}

// ---- pawns --------------------------------------------------------------------------------------

void make_pawn(const MoveFields& mv)
{
    Etat& cur = *mv.cur;
    Etat& next = *mv.next;
    const int c = mv.c;
    uint32_t* own = attaques[c];
    Ficha* slot = case_ficha[mv.from];
    const uint32_t bit = slot->mask;

    next.materiel[c] = cur.materiel[c];
    toggle_pawn(own, mv.from, mv.side, bit);
    if (mv.captured != 0) {
        take_out(mv.captured, mv.to, mv.o, attaques[mv.o], -mv.side, cur, next);
        pawn_leaves_file(c, mv.from);
        pawn_enters_file(c, mv.to);
    } else {
        next.materiel[mv.o] = cur.materiel[mv.o];
        toggle_beyond_both(mv.to);
        pawn_moves_on_file(c, mv.from, mv.to);
    }
    next.irreversible = mv.next_ply;
    move_on_board(mv.from, mv.to);
    toggle_beyond_both(mv.from);
    toggle_pawn(own, mv.to, mv.side, bit);
    slot->square = static_cast<uint32_t>(mv.to);
    case_ficha[mv.to] = slot;
}

void unmake_pawn(const MoveFields& mv)
{
    const int c = mv.c;
    uint32_t* own = attaques[c];
    Ficha* slot = case_ficha[mv.to];
    const uint32_t bit = slot->mask;

    toggle_pawn(own, mv.to, mv.side, bit);
    toggle_beyond_both(mv.from);
    echiquier[mv.from] = echiquier[mv.to];
    slot->square = static_cast<uint32_t>(mv.from);
    case_ficha[mv.from] = slot;
    restore_destination(mv.captured, mv.to, mv.o, mv.side, *mv.cur);
    if (mv.captured != 0) {
        pawn_leaves_file(c, mv.to);
        pawn_enters_file(c, mv.from);
    } else {
        pawn_moves_on_file(c, mv.to, mv.from);
    }
    toggle_pawn(own, mv.from, mv.side, bit);
}

// The slot bit moves from the pawn mask to the new type's, with every counter and material key
// of both types.
void count_promotion(int c, int type, int to, uint32_t bit)
{
    --nombre_pions[c];
    ++nombre_pieces[c];
    piece_type[c][PAWN] &= ~bit;
    mk[c] -= 1;
    mk3 ^= material_keys[6 * c][nombre_pions[c]];
    mk[c] += count_increment[type];
    mk3 ^= material_keys[kind_of_type[type] + 6 * c][bit_count[piece_type[c][type]]];
    if (type == BISHOP) ++cf[c][couleur_case[to]];
    piece_type[c][type] |= bit;
}

void uncount_promotion(int c, int type, int to, uint32_t bit)
{
    piece_type[c][type] &= ~bit;
    if (type == BISHOP) --cf[c][couleur_case[to]];
    mk3 ^= material_keys[kind_of_type[type] + 6 * c][bit_count[piece_type[c][type]]];
    mk[c] -= count_increment[type];
    mk3 ^= material_keys[6 * c][nombre_pions[c]];
    mk[c] += 1;
    piece_type[c][PAWN] |= bit;
    --nombre_pieces[c];
    ++nombre_pions[c];
}

// The promoted piece's attacks from sq; a slider also joins or leaves the slider mask.
void toggle_promoted(int c, int type, int sq, uint32_t bit)
{
    if (type == KNIGHT) {
        toggle_knight(attaques[c], sq, bit);
    } else {
        pieces_glissantes_mask[c] ^= bit;
        toggle_slider(type, sq, attaques[c], bit);
    }
}

void make_promotion(const MoveFields& mv)
{
    Etat& cur = *mv.cur;
    Etat& next = *mv.next;
    const int c = mv.c;
    Ficha* slot = case_ficha[mv.from];
    const uint32_t bit = slot->mask;

    next.irreversible = mv.next_ply;
    next.materiel[c] = cur.materiel[c] + valeur_piece[mv.promotion] - valeur_piece[PAWN];
    toggle_pawn(attaques[c], mv.from, mv.side, bit);
    pawn_leaves_file(c, mv.from);
    if (mv.captured != 0) {
        take_out(mv.captured, mv.to, mv.o, attaques[mv.o], -mv.side, cur, next);
    } else {
        next.materiel[mv.o] = cur.materiel[mv.o];
        toggle_beyond_both(mv.to);
    }
    echiquier[mv.to] = static_cast<uint8_t>(colour_bit_of_index(c) + mv.promotion);
    count_promotion(c, mv.promotion, mv.to, bit);
    echiquier[mv.from] = EMPTY;
    toggle_beyond_both(mv.from);
    toggle_promoted(c, mv.promotion, mv.to, bit);
    slot->square = static_cast<uint32_t>(mv.to);
    case_ficha[mv.to] = slot;
}

void unmake_promotion(const MoveFields& mv)
{
    const int c = mv.c;
    Ficha* slot = case_ficha[mv.to];
    const uint32_t bit = slot->mask;

    toggle_promoted(c, mv.promotion, mv.to, bit);
    toggle_beyond_both(mv.from);
    echiquier[mv.from] = static_cast<uint8_t>(colour_bit_of_index(c) + PAWN);
    slot->square = static_cast<uint32_t>(mv.from);
    case_ficha[mv.from] = slot;
    uncount_promotion(c, mv.promotion, mv.to, bit);
    restore_destination(mv.captured, mv.to, mv.o, mv.side, *mv.cur);
    pawn_enters_file(c, mv.from);
    toggle_pawn(attaques[c], mv.from, mv.side, bit);
}

// The victim stands beside the origin, on to - trait; it is taken out in place.
void make_en_passant(const MoveFields& mv)
{
    Etat& cur = *mv.cur;
    Etat& next = *mv.next;
    const int c = mv.c;
    const int o = mv.o;
    const int victim_sq = mv.to - mv.side;
    Ficha* slot = case_ficha[mv.from];
    Ficha* victim = case_ficha[victim_sq];
    const uint32_t bit = slot->mask;
    const uint32_t victim_bit = victim->mask;

    cur.ficha_prise = slot_of(victim);
    next.irreversible = mv.next_ply;
    next.materiel[c] = cur.materiel[c];
    next.materiel[o] = cur.materiel[o] - valeur_piece[PAWN];
    toggle_pawn(attaques[c], mv.from, mv.side, bit);
    piece_type[o][PAWN] &= ~victim_bit;
    --nombre_pions[o];
    mk[o] -= 1;
    mk3 ^= material_keys[6 * o][nombre_pions[o]];
    toggle_pawn(attaques[o], victim_sq, -mv.side, victim_bit);
    pawn_leaves_file(c, mv.from);
    pawn_leaves_file(o, victim_sq);
    pawn_enters_file(c, mv.to);
    toggle_beyond_both(mv.to);
    move_on_board(mv.from, mv.to);
    toggle_beyond_both(mv.from);
    echiquier[victim_sq] = EMPTY;
    toggle_beyond_both(victim_sq);
    toggle_pawn(attaques[c], mv.to, mv.side, bit);
    slot->square = static_cast<uint32_t>(mv.to);
    case_ficha[mv.to] = slot;
}

void unmake_en_passant(const MoveFields& mv)
{
    const int c = mv.c;
    const int o = mv.o;
    const int victim_sq = mv.to - mv.side;
    Ficha* slot = case_ficha[mv.to];
    Ficha* victim = &ficha[o][mv.cur->ficha_prise];
    const uint32_t bit = slot->mask;
    const uint32_t victim_bit = victim->mask;

    toggle_pawn(attaques[c], mv.to, mv.side, bit);
    toggle_beyond_both(victim_sq);
    echiquier[victim_sq] = static_cast<uint8_t>(colour_bit_of_index(o) + PAWN);
    case_ficha[victim_sq] = victim;
    toggle_beyond_both(mv.from);
    move_on_board(mv.to, mv.from);
    slot->square = static_cast<uint32_t>(mv.from);
    case_ficha[mv.from] = slot;
    toggle_beyond_both(mv.to);
    pawn_leaves_file(c, mv.to);
    pawn_enters_file(o, victim_sq);
    pawn_enters_file(c, mv.from);
    toggle_pawn(attaques[o], victim_sq, -mv.side, victim_bit);
    mk3 ^= material_keys[6 * o][nombre_pions[o]];
    ++nombre_pions[o];
    mk[o] += 1;
    piece_type[o][PAWN] |= victim_bit;
    toggle_pawn(attaques[c], mv.from, mv.side, bit);
}

// A pawn move onto the record's en-passant square is a capture only when it changes file: a
// set-up may name any square, and a push onto it must stay a push.
bool is_en_passant(const MoveFields& mv)
{
    return mv.to == static_cast<int>(mv.cur->case_ep) && colonne[mv.to] != colonne[mv.from];
}

bool is_castling(const MoveFields& mv)
{
    return mv.type == KING && (mv.to - mv.from == 20 || mv.to - mv.from == -20);
}

// Everything the position after the move is known by: its keys, castling rights and en-passant
// square, read from the move word and the board before the move (the squares beside a double
// step's destination do not change with it). The board-side steps read none of these fields,
// so a caller can have them before the board changes.
void write_next_keys(const MoveFields& mv)
{
    const Etat& cur = *mv.cur;
    Etat& next = *mv.next;
    const int c = mv.c;
    const int o = mv.o;
    const int q_from = case64[mv.from];
    const int q_to = case64[mv.to];
    Key96 pawn = cur.pawn_key;
    Key96 piece = cur.piece_key;
    uint32_t roque = cur.roque;
    uint32_t ep = 0;
    bool victim_on_to = mv.captured != 0;
    if (mv.type == PAWN) {
        if (is_en_passant(mv)) {
            victim_on_to = false;
            pawn ^= psq_keys[6 * c][q_from] ^ psq_keys[6 * c][q_to] ^
                    psq_keys[6 * o][case64[mv.to - mv.side]];
        } else if (mv.promotion != 0) {
            pawn ^= psq_keys[6 * c][q_from];
            piece ^= psq_keys[kind_of_type[mv.promotion] + 6 * c][q_to];
            roque &= castle_mask[q_to];
        } else {
            pawn ^= psq_keys[6 * c][q_from] ^ psq_keys[6 * c][q_to];
            roque &= castle_mask[q_to];
            ep = en_passant_target(mv);
        }
    } else if (is_castling(mv)) {
        const int rook_from = mv.to > mv.from ? mv.from + 30 : mv.from - 40;
        const int rook_to = mv.to > mv.from ? mv.from + 10 : mv.from - 10;
        const auto& rook_keys = psq_keys[KIND_ROOK + 6 * c];
        piece ^= psq_keys[KIND_KING + 6 * c][q_from] ^ psq_keys[KIND_KING + 6 * c][q_to] ^
                 rook_keys[case64[rook_from]] ^ rook_keys[case64[rook_to]];
        roque &= castle_mask[q_from];
    } else {
        const auto& keys = psq_keys[kind_of_type[mv.type] + 6 * c];
        piece ^= keys[q_from] ^ keys[q_to];
        roque &= mv.type == KNIGHT ? castle_mask[q_to] : castle_mask[q_from] & castle_mask[q_to];
    }
    if (victim_on_to) {
        if (mv.captured == PAWN)
            pawn ^= psq_keys[6 * o][q_to];
        else
            piece ^= psq_keys[kind_of_type[mv.captured] + 6 * o][q_to];
    }
    next.pawn_key = pawn;
    next.piece_key = piece;
    next.roque = roque;
    next.case_ep = ep;
    Key96 hash = pawn ^ piece;
    if (roque != 0) hash ^= castle_keys[roque];
    if (ep != 0) hash ^= ep_keys[case64[ep]];
    next.hash_key = hash;
}

// The board-side half of make_move: every table but the keys, for the routine of the move.
void play_move(const MoveFields& mv)
{
    bool material_changed = mv.captured != 0 || mv.promotion != 0;
    if (is_slider(mv.type)) {
        make_piece<SLIDER_BIT>(mv);
    } else if (mv.type == PAWN) {
        if (is_en_passant(mv)) {
            material_changed = true;
            make_en_passant(mv);
        } else if (mv.promotion != 0) {
            make_promotion(mv);
        } else {
            make_pawn(mv);
        }
    } else if (mv.type == KNIGHT) {
        make_piece<KNIGHT>(mv);
    } else if (mv.to - mv.from == -20) {
        make_castling(mv, mv.from - 40, mv.from - 10);
    } else if (mv.to - mv.from == 20) {
        make_castling(mv, mv.from + 30, mv.from + 10);
    } else {
        make_piece<KING>(mv);
    }
    ply = mv.next_ply;
    trait = -mv.side;
    mv.next->score_materiel = material_changed ? evalue_materiel() : -mv.cur->score_materiel;
}

}  // namespace

// ---- captures -----------------------------------------------------------------------------------

void retire_prise(int t, int sq, int o, uint32_t* table, int q)
{
    Etat& next = etats[ply + 1];
    if (t == PAWN)
        next.pawn_key ^= psq_keys[6 * o][q];
    else
        next.piece_key ^= psq_keys[kind_of_type[t] + 6 * o][q];
    take_out(t, sq, o, table, -trait, etats[ply], next);
}

void remet_prise(int t, int sq, int o, uint32_t* table)
{
    put_back(t, sq, o, table, -trait, etats[ply]);
}

void bascule_rayons(int type, int sq, uint32_t* table, uint32_t mask)
{
    toggle_slider(type, sq, table, mask);
}

// ---- frames -------------------------------------------------------------------------------------

void make_move(Move m)
{
    ++make_move_calls;
    const MoveFields mv = decode(m, trait, ply);
    mv.cur->coup = m;
    write_next_keys(mv);
    play_move(mv);
}

void begin_move(Move m)
{
    ++make_move_calls;
    const MoveFields mv = decode(m, trait, ply);
    mv.cur->coup = m;
    write_next_keys(mv);
}

void finish_move(Move m)
{
    play_move(decode(m, trait, ply));
}

void unmake_move(Move m)
{
    const int side = -trait;
    const int p = ply - 1;
    ply = p;
    trait = side;
    const MoveFields mv = decode(m, side, p);
    if (is_slider(mv.type)) {
        unmake_piece<SLIDER_BIT>(mv);
    } else if (mv.type == PAWN) {
        if (is_en_passant(mv))
            unmake_en_passant(mv);
        else if (mv.promotion != 0)
            unmake_promotion(mv);
        else
            unmake_pawn(mv);
    } else if (mv.type == KNIGHT) {
        unmake_piece<KNIGHT>(mv);
    } else if (mv.to - mv.from == -20) {
        unmake_castling(mv, mv.from - 40, mv.from - 10);
    } else if (mv.to - mv.from == 20) {
        unmake_castling(mv, mv.from + 30, mv.from + 10);
    } else {
        unmake_piece<KING>(mv);
    }
}

// The board stays as it is; only the side to move changes, and the en-passant chance is lost.
void make_null_move()
{
    Etat& cur = etats[ply];
    Etat& next = etats[ply + 1];
    next.hash_key = cur.hash_key;
    next.pawn_key = cur.pawn_key;
    next.piece_key = cur.piece_key;
    next.roque = cur.roque;
    next.materiel[0] = cur.materiel[0];
    next.materiel[1] = cur.materiel[1];
    if (cur.case_ep != 0) next.hash_key ^= ep_keys[case64[cur.case_ep]];
    next.case_ep = 0;
    next.irreversible = ply + 1;
    next.score_materiel = -cur.score_materiel;
    cur.coup = NULL_MOVE;
    ++ply;
    trait = -trait;
}

void unmake_null_move()
{
    trait = -trait;
    --ply;
}
