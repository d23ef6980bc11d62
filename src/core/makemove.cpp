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

// The decoded move word, read by the per-piece routines.
struct MoveFields {
    int type;
    int from;
    int to;
    int captured;
    int promotion;
};

constexpr MoveFields decode(Move m)
{
    return {move_piece(m), move_from(m), move_to(m), move_captured(m), move_promotion(m)};
}

// ---- shared steps -------------------------------------------------------------------------------

// The mover's own attacks, by kind of routine: SLIDER_BIT stands for the three sliders.
template <int T>
void toggle_own(int type, int sq, uint32_t* table, uint32_t bit)
{
    if constexpr (T == KNIGHT)
        toggle_knight(table, sq, bit);
    else if constexpr (T == KING)
        toggle_king(table, sq);
    else
        toggle_slider(type, sq, table, bit);
}

// Destination of a capturing move: the victim leaves and the move is irreversible.
void take_victim(const MoveFields& mv, int o)
{
    etats[ply + 1].irreversible = ply + 1;
    retire_prise(mv.captured, mv.to, o, attaques[o], case64[mv.to]);
}

// Without a capture the other side's material and the reversible count carry over.
void carry_over(int o)
{
    etats[ply + 1].materiel[o] = etats[ply].materiel[o];
    etats[ply + 1].irreversible = etats[ply].irreversible;
}

void move_on_board(int from, int to)
{
    echiquier[to] = echiquier[from];
    echiquier[from] = EMPTY;
}

// Taking back a move to `to`: the victim returns, or `to` empties and the rays through it are
// extended again.
void restore_destination(const MoveFields& mv, int o)
{
    if (mv.captured != 0) {
        remet_prise(mv.captured, mv.to, o, attaques[o]);
    } else {
        echiquier[mv.to] = EMPTY;
        toggle_beyond_both(mv.to);
    }
}

// The en-passant target after a pawn move: the square passed over by a double step, when an
// enemy pawn stands beside the destination to use it.
uint32_t en_passant_target(int from, int to)
{
    if ((to - from) * trait != 2) return 0;
    const uint8_t enemy_pawn = colour_bit(-trait) + PAWN;
    if (echiquier[to - 10] != enemy_pawn && echiquier[to + 10] != enemy_pawn) return 0;
    return static_cast<uint32_t>(to - trait);
}

// ---- knight, king and sliders -------------------------------------------------------------------

template <int T>
void make_piece(const MoveFields& mv)
{
    Etat& cur = etats[ply];
    Etat& next = etats[ply + 1];
    const int c = colour_index(trait);
    const int o = c ^ 1;
    Ficha* slot = case_ficha[mv.from];
    const uint32_t bit = slot->mask;

    next.case_ep = 0;
    next.materiel[c] = cur.materiel[c];
    toggle_own<T>(mv.type, mv.from, attaques[c], bit);
    if (mv.captured != 0) {
        take_victim(mv, o);
    } else {
        carry_over(o);
        // No enemy slider reaches a square a king may step to.
        if constexpr (T == KING)
            toggle_beyond(c, mv.to);
        else
            toggle_beyond_both(mv.to);
    }
    move_on_board(mv.from, mv.to);
    toggle_beyond_both(mv.from);
    toggle_own<T>(mv.type, mv.to, attaques[c], bit);
    slot->square = static_cast<uint32_t>(mv.to);
    case_ficha[mv.to] = slot;

    const int q_from = case64[mv.from];
    const int q_to = case64[mv.to];
    if constexpr (T == KNIGHT)
        next.roque = cur.roque & castle_mask[q_to];
    else
        next.roque = cur.roque & castle_mask[q_from] & castle_mask[q_to];
    const auto& keys = psq_keys[kind_of_type[mv.type] + 6 * c];
    next.piece_key ^= keys[q_from] ^ keys[q_to];
}

template <int T>
void unmake_piece(const MoveFields& mv)
{
    const int c = colour_index(trait);
    Ficha* slot = case_ficha[mv.to];
    const uint32_t bit = slot->mask;

    toggle_own<T>(mv.type, mv.to, attaques[c], bit);
    toggle_beyond_both(mv.from);
    echiquier[mv.from] = echiquier[mv.to];
    slot->square = static_cast<uint32_t>(mv.from);
    case_ficha[mv.from] = slot;
    restore_destination(mv, c ^ 1);
    toggle_own<T>(mv.type, mv.from, attaques[c], bit);
}

// ---- castling -----------------------------------------------------------------------------------

// The king goes from `from` to `to`, the rook from rook_from to rook_to. Only the mover's rays
// change on the board squares: no enemy slider reaches the squares castling uses, and the own
// rays through the two destination squares lead only to the border beyond them.
void make_castling(const MoveFields& mv, int rook_from, int rook_to)
{
    Etat& cur = etats[ply];
    Etat& next = etats[ply + 1];
    const int c = colour_index(trait);
    Ficha* king = case_ficha[mv.from];
    Ficha* rook = case_ficha[rook_from];

    next.case_ep = 0;
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

    next.roque = cur.roque & castle_mask[case64[mv.from]];
    const auto& king_keys = psq_keys[KIND_KING + 6 * c];
    const auto& rook_keys = psq_keys[KIND_ROOK + 6 * c];
    next.piece_key ^= king_keys[case64[mv.from]] ^ king_keys[case64[mv.to]] ^
                      rook_keys[case64[rook_from]] ^ rook_keys[case64[rook_to]];
}

void unmake_castling(const MoveFields& mv, int rook_from, int rook_to)
{
    const int c = colour_index(trait);
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
    Etat& cur = etats[ply];
    Etat& next = etats[ply + 1];
    const int c = colour_index(trait);
    const int o = c ^ 1;
    Ficha* slot = case_ficha[mv.from];
    const uint32_t bit = slot->mask;

    next.materiel[c] = cur.materiel[c];
    toggle_pawn(attaques[c], mv.from, trait, bit);
    if (mv.captured != 0) {
        retire_prise(mv.captured, mv.to, o, attaques[o], case64[mv.to]);
        pawn_leaves_file(c, mv.from);
        pawn_enters_file(c, mv.to);
    } else {
        next.materiel[o] = cur.materiel[o];
        toggle_beyond_both(mv.to);
        pawn_moves_on_file(c, mv.from, mv.to);
    }
    next.irreversible = ply + 1;
    move_on_board(mv.from, mv.to);
    toggle_beyond_both(mv.from);
    toggle_pawn(attaques[c], mv.to, trait, bit);
    slot->square = static_cast<uint32_t>(mv.to);
    case_ficha[mv.to] = slot;

    next.roque = cur.roque & castle_mask[case64[mv.to]];
    next.pawn_key ^= psq_keys[6 * c][case64[mv.from]] ^ psq_keys[6 * c][case64[mv.to]];
    next.case_ep = en_passant_target(mv.from, mv.to);
}

void unmake_pawn(const MoveFields& mv)
{
    const int c = colour_index(trait);
    Ficha* slot = case_ficha[mv.to];
    const uint32_t bit = slot->mask;

    toggle_pawn(attaques[c], mv.to, trait, bit);
    toggle_beyond_both(mv.from);
    echiquier[mv.from] = echiquier[mv.to];
    slot->square = static_cast<uint32_t>(mv.from);
    case_ficha[mv.from] = slot;
    restore_destination(mv, c ^ 1);
    if (mv.captured != 0) {
        pawn_leaves_file(c, mv.to);
        pawn_enters_file(c, mv.from);
    } else {
        pawn_moves_on_file(c, mv.to, mv.from);
    }
    toggle_pawn(attaques[c], mv.from, trait, bit);
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
    Etat& cur = etats[ply];
    Etat& next = etats[ply + 1];
    const int c = colour_index(trait);
    const int o = c ^ 1;
    Ficha* slot = case_ficha[mv.from];
    const uint32_t bit = slot->mask;

    next.case_ep = 0;
    next.irreversible = ply + 1;
    next.materiel[c] = cur.materiel[c] + valeur_piece[mv.promotion] - valeur_piece[PAWN];
    toggle_pawn(attaques[c], mv.from, trait, bit);
    pawn_leaves_file(c, mv.from);
    if (mv.captured != 0) {
        retire_prise(mv.captured, mv.to, o, attaques[o], case64[mv.to]);
    } else {
        next.materiel[o] = cur.materiel[o];
        toggle_beyond_both(mv.to);
    }
    echiquier[mv.to] = static_cast<uint8_t>(colour_bit(trait) + mv.promotion);
    count_promotion(c, mv.promotion, mv.to, bit);
    echiquier[mv.from] = EMPTY;
    toggle_beyond_both(mv.from);
    toggle_promoted(c, mv.promotion, mv.to, bit);

    next.pawn_key ^= psq_keys[6 * c][case64[mv.from]];
    next.piece_key ^= psq_keys[kind_of_type[mv.promotion] + 6 * c][case64[mv.to]];
    slot->square = static_cast<uint32_t>(mv.to);
    case_ficha[mv.to] = slot;
    next.roque = cur.roque & castle_mask[case64[mv.to]];
}

void unmake_promotion(const MoveFields& mv)
{
    const int c = colour_index(trait);
    Ficha* slot = case_ficha[mv.to];
    const uint32_t bit = slot->mask;

    toggle_promoted(c, mv.promotion, mv.to, bit);
    toggle_beyond_both(mv.from);
    echiquier[mv.from] = static_cast<uint8_t>(colour_bit(trait) + PAWN);
    slot->square = static_cast<uint32_t>(mv.from);
    case_ficha[mv.from] = slot;
    uncount_promotion(c, mv.promotion, mv.to, bit);
    restore_destination(mv, c ^ 1);
    pawn_enters_file(c, mv.from);
    toggle_pawn(attaques[c], mv.from, trait, bit);
}

// The victim stands beside the origin, on to - trait; it is taken out in place.
void make_en_passant(const MoveFields& mv)
{
    Etat& cur = etats[ply];
    Etat& next = etats[ply + 1];
    const int c = colour_index(trait);
    const int o = c ^ 1;
    const int victim_sq = mv.to - trait;
    Ficha* slot = case_ficha[mv.from];
    Ficha* victim = case_ficha[victim_sq];
    const uint32_t bit = slot->mask;
    const uint32_t victim_bit = victim->mask;

    cur.ficha_prise = slot_of(victim);
    next.case_ep = 0;
    next.irreversible = ply + 1;
    next.materiel[c] = cur.materiel[c];
    next.materiel[o] = cur.materiel[o] - valeur_piece[PAWN];
    toggle_pawn(attaques[c], mv.from, trait, bit);
    piece_type[o][PAWN] &= ~victim_bit;
    --nombre_pions[o];
    mk[o] -= 1;
    mk3 ^= material_keys[6 * o][nombre_pions[o]];
    toggle_pawn(attaques[o], victim_sq, -trait, victim_bit);
    pawn_leaves_file(c, mv.from);
    pawn_leaves_file(o, victim_sq);
    pawn_enters_file(c, mv.to);
    toggle_beyond_both(mv.to);
    move_on_board(mv.from, mv.to);
    toggle_beyond_both(mv.from);
    echiquier[victim_sq] = EMPTY;
    toggle_beyond_both(victim_sq);
    toggle_pawn(attaques[c], mv.to, trait, bit);

    next.pawn_key ^= psq_keys[6 * c][case64[mv.from]] ^ psq_keys[6 * c][case64[mv.to]] ^
                     psq_keys[6 * o][case64[victim_sq]];
    slot->square = static_cast<uint32_t>(mv.to);
    case_ficha[mv.to] = slot;
    next.roque = cur.roque;
}

void unmake_en_passant(const MoveFields& mv)
{
    const int c = colour_index(trait);
    const int o = c ^ 1;
    const int victim_sq = mv.to - trait;
    Ficha* slot = case_ficha[mv.to];
    Ficha* victim = &ficha[o][etats[ply].ficha_prise];
    const uint32_t bit = slot->mask;
    const uint32_t victim_bit = victim->mask;

    toggle_pawn(attaques[c], mv.to, trait, bit);
    toggle_beyond_both(victim_sq);
    echiquier[victim_sq] = static_cast<uint8_t>(colour_bit(-trait) + PAWN);
    case_ficha[victim_sq] = victim;
    toggle_beyond_both(mv.from);
    move_on_board(mv.to, mv.from);
    slot->square = static_cast<uint32_t>(mv.from);
    case_ficha[mv.from] = slot;
    toggle_beyond_both(mv.to);
    pawn_leaves_file(c, mv.to);
    pawn_enters_file(o, victim_sq);
    pawn_enters_file(c, mv.from);
    toggle_pawn(attaques[o], victim_sq, -trait, victim_bit);
    mk3 ^= material_keys[6 * o][nombre_pions[o]];
    ++nombre_pions[o];
    mk[o] += 1;
    piece_type[o][PAWN] |= victim_bit;
    toggle_pawn(attaques[c], mv.from, trait, bit);
}

// A pawn move onto the record's en-passant square is a capture only when it changes file: a
// set-up may name any square, and a push onto it must stay a push.
bool is_en_passant(const MoveFields& mv)
{
    return mv.to == static_cast<int>(etats[ply].case_ep) && colonne[mv.to] != colonne[mv.from];
}

}  // namespace

// ---- captures -----------------------------------------------------------------------------------

void retire_prise(int t, int sq, int o, uint32_t* table, int q)
{
    Etat& cur = etats[ply];
    Etat& next = etats[ply + 1];
    Ficha* victim = case_ficha[sq];
    const uint32_t bit = victim->mask;

    cur.ficha_prise = slot_of(victim);
    piece_type[o][t] &= ~bit;
    next.materiel[o] = cur.materiel[o] - valeur_piece[t];
    if (t == PAWN) {
        --nombre_pions[o];
        mk[o] -= 1;
        mk3 ^= material_keys[6 * o][nombre_pions[o]];
        next.pawn_key ^= psq_keys[6 * o][q];
        toggle_pawn(table, sq, -trait, bit);
        pawn_leaves_file(o, sq);
        return;
    }
    const int kind = kind_of_type[t];
    --nombre_pieces[o];
    mk[o] -= count_increment[t];
    mk3 ^= material_keys[kind + 6 * o][bit_count[piece_type[o][t]]];
    next.piece_key ^= psq_keys[kind + 6 * o][q];
    if (t == KNIGHT) {
        toggle_knight(table, sq, bit);
        return;
    }
    if (t == BISHOP) --cf[o][couleur_case[sq]];
    pieces_glissantes_mask[o] &= ~bit;
    toggle_slider(t, sq, table, bit);
}

void remet_prise(int t, int sq, int o, uint32_t* table)
{
    Ficha* victim = &ficha[o][etats[ply].ficha_prise];
    const uint32_t bit = victim->mask;

    case_ficha[sq] = victim;
    echiquier[sq] = static_cast<uint8_t>(colour_bit_of_index(o) + t);
    if (t == PAWN) {
        mk[o] += 1;
        mk3 ^= material_keys[6 * o][nombre_pions[o]];
        ++nombre_pions[o];
        toggle_pawn(table, sq, -trait, bit);
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

void bascule_rayons(int type, int sq, uint32_t* table, uint32_t mask)
{
    toggle_slider(type, sq, table, mask);
}

// ---- frames -------------------------------------------------------------------------------------

void make_move(Move m)
{
    ++make_move_calls;
    const MoveFields mv = decode(m);
    Etat& cur = etats[ply];
    Etat& next = etats[ply + 1];
    cur.coup = m;
    next.pawn_key = cur.pawn_key;
    next.piece_key = cur.piece_key;

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

    next.hash_key = next.pawn_key ^ next.piece_key;
    if (next.roque != 0) next.hash_key ^= castle_keys[next.roque];
    if (next.case_ep != 0) next.hash_key ^= ep_keys[case64[next.case_ep]];
    ++ply;
    trait = -trait;
    next.score_materiel = material_changed ? evalue_materiel() : -cur.score_materiel;
}

void unmake_move(Move m)
{
    const MoveFields mv = decode(m);
    --ply;
    trait = -trait;
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
