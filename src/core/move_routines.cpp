// make_move's work, one routine per kind of move, and the one reading of the move word that
// picks it. A make writes the keys and the steps that read no ray first, then runs its XOR walks
// in one fixed order (own attacks off, capture or cut at the destination, board, extend at the
// origin, own attacks on), each reading the board of that moment and logging what it XORs; the
// take-back (take_back.cpp) replays the log and restores the rest in reverse.
#include "core/move_routines.h"

#include <cassert>

#include "core/board.h"
#include "core/keys.h"
#include "core/material.h"
#include "core/next_keys.h"
#include "core/pawn_files.h"
#include "core/rays.h"
#include "core/tables.h"

namespace {

namespace al = attack_log;
using move_steps::move_on_board;
using move_steps::side_of;

// The victim of type t and colour o on sq (still on the board) leaves the board-side state and
// next's material; its pawns advance by `forward`.
AttackUndo* take_out(AttackUndo* log, int t, int sq, int o, int forward, Etat& cur, Etat& next)
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
        toggle_pawn(attaques[o], sq, forward, bit);
        pawn_leaves_file(o, sq);
        return log;
    }
    --nombre_pieces[o];
    mk[o] -= count_increment[t];
    mk3 ^= material_keys[kind_of_type[t] + 6 * o][bit_count[piece_type[o][t]]];
    if (t == KNIGHT) {
        toggle_knight(attaques[o], sq, bit);
        return log;
    }
    if (t == BISHOP) --cf[o][couleur_case[sq]];
    pieces_glissantes_mask[o] &= ~bit;
    return al::slider(log, t, o * BOARD_SIZE, sq, bit);
}

// ---- knight, king and sliders -------------------------------------------------------------------

// A slider going from `from` to `to` along `line`: its two rays on that line, off at `from` on
// the old board and on at `to` on the new one, cover the same squares but for `from` and `to`
// (the squares between are in both; past the empty destination the old ray ran exactly as far
// as the new one runs). After a capture the old ray stopped at `to`, so the new one beyond it
// is walked.
AttackUndo* slide_along(AttackUndo* log, int base, int from, int to, int line, uint32_t bit,
                        int captured)
{
    log = al::flip(log, base + from, bit);
    log = al::flip(log, base + to, bit);
    return captured != 0 ? al::ray(log, base, to, line, bit) : log;
}

// ---- castling -----------------------------------------------------------------------------------

// The king goes from `from` to `to`, the rook from rook_from to rook_to. Only the mover's rays
// change on the board squares: no enemy slider reaches the squares castling uses, and the own
// rays through the two destination squares lead only to the border beyond them.
AttackUndo* make_castling(AttackUndo* log, Etat& cur, int from, int to, int rook_from, int rook_to,
                          int c)
{
    Etat& next = (&cur)[1];
    const int base = c * BOARD_SIZE;
    Ficha* king = case_ficha[from];
    Ficha* rook = case_ficha[rook_from];

    next.materiel[0] = cur.materiel[0];
    next.materiel[1] = cur.materiel[1];
    next.irreversible = cur.irreversible;
    toggle_king(attaques[c], from);
    log = al::slider(log, ROOK, base, rook_from, rook->mask);
    rook->square = static_cast<uint32_t>(rook_to);
    case_ficha[rook_to] = rook;
    move_on_board(from, to);
    move_on_board(rook_from, rook_to);
    log = al::beyond_own(log, c, from);
    log = al::slider(log, ROOK, base, rook_to, rook->mask);
    toggle_king(attaques[c], to);
    king->square = static_cast<uint32_t>(to);
    case_ficha[to] = king;
    return log;
}

// ---- pawns --------------------------------------------------------------------------------------

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

AttackUndo* make_promotion(AttackUndo* log, Etat& cur, int from, int to, int captured,
                           int promotion, int c)
{
    Etat& next = (&cur)[1];
    const int o = c ^ 1;
    Ficha* slot = case_ficha[from];
    const uint32_t bit = slot->mask;

    next.irreversible = ply + 1;
    next.materiel[c] = cur.materiel[c] + valeur_piece[promotion] - valeur_piece[PAWN];
    toggle_pawn(attaques[c], from, side_of(c), bit);
    pawn_leaves_file(c, from);
    if (captured != 0) {
        log = take_out(log, captured, to, o, -side_of(c), cur, next);
    } else {
        next.materiel[o] = cur.materiel[o];
        log = al::beyond_both(log, to);
    }
    echiquier[to] = static_cast<uint8_t>(colour_bit_of_index(c) + promotion);
    count_promotion(c, promotion, to, bit);
    echiquier[from] = EMPTY;
    log = al::beyond_both(log, from);
    if (promotion == KNIGHT) {
        toggle_knight(attaques[c], to, bit);
    } else {
        pieces_glissantes_mask[c] ^= bit;
        log = al::slider(log, promotion, c * BOARD_SIZE, to, bit);
    }
    slot->square = static_cast<uint32_t>(to);
    case_ficha[to] = slot;
    return log;
}

// The victim stands beside the origin, on to - trait; it is taken out in place.
AttackUndo* make_en_passant(AttackUndo* log, Etat& cur, int from, int to, int c)
{
    Etat& next = (&cur)[1];
    const int o = c ^ 1;
    const int side = side_of(c);
    const int victim_sq = to - side;
    Ficha* slot = case_ficha[from];
    Ficha* victim = case_ficha[victim_sq];
    const uint32_t bit = slot->mask;
    const uint32_t victim_bit = victim->mask;

    cur.ficha_prise = slot_of(victim);
    next.irreversible = ply + 1;
    next.materiel[c] = cur.materiel[c];
    next.materiel[o] = cur.materiel[o] - valeur_piece[PAWN];
    toggle_pawn(attaques[c], from, side, bit);
    piece_type[o][PAWN] &= ~victim_bit;
    --nombre_pions[o];
    mk[o] -= 1;
    mk3 ^= material_keys[6 * o][nombre_pions[o]];
    toggle_pawn(attaques[o], victim_sq, -side, victim_bit);
    pawn_leaves_file(c, from);
    pawn_leaves_file(o, victim_sq);
    pawn_enters_file(c, to);
    log = al::beyond_both(log, to);
    move_on_board(from, to);
    log = al::beyond_both(log, from);
    echiquier[victim_sq] = EMPTY;
    log = al::beyond_both(log, victim_sq);
    toggle_pawn(attaques[c], to, side, bit);
    slot->square = static_cast<uint32_t>(to);
    case_ficha[to] = slot;
    return log;
}

}  // namespace

AttackUndo* take_out_piece(AttackUndo* log, int t, int sq, int o, int forward)
{
    return take_out(log, t, sq, o, forward, etats[ply], etats[ply + 1]);
}

namespace {

// ---- whole moves --------------------------------------------------------------------------------

// What every make reads first: the record made from, the one made, the start of the move's log.
struct Frame {
    int p;  // ply of cur
    int side;
    int c;
    Etat& cur;
    Etat& next;
    AttackUndo* log;
};

Frame open_frame()
{
    const int p = ply;
    return Frame{p,        trait,        colour_index(trait),
                 etats[p], etats[p + 1], &attack_undo_log[attack_undo_start[p]]};
}

// The steps of a common make that walk no ray, once the move is known to keep both material
// words: they are carried over, ply and side advance, and the move's log begins here.
AttackUndo* advance_record(const Etat& cur, Etat& next, int p, int side)
{
    next.materiel[0] = cur.materiel[0];
    next.materiel[1] = cur.materiel[1];
    ply = p + 1;
    trait = -side;
    return &attack_undo_log[attack_undo_start[p]];
}

// The end of the log of the move made from ply p, begun at start: where the next one begins.
void close_log(int p, const AttackUndo* start, const AttackUndo* end)
{
    assert(end - start <= ATTACK_UNDO_PER_MOVE);
    (void)start;
    attack_undo_start[p + 1] = static_cast<uint32_t>(end - attack_undo_log);
}

// The log bounds, ply, side to move and the material score of the record made.
void close_frame(const Frame& f, AttackUndo* end, bool material_changed)
{
    close_log(f.p, f.log, end);
    ply = f.p + 1;
    trait = -f.side;
    f.next.score_materiel = material_changed ? evalue_materiel() : -f.cur.score_materiel;
}

// One whole make per moving type and per quiet move or capture (sliders share one; the rare pawn
// moves and castling have their own): the next record's keys and cur's `coup` when KEYS (without
// them begin_move wrote them), the board-side steps, the frame. Each is its own routine and reads
// only what its kind of move needs; the common ones do every step that walks no ray first, so that
// little more than the squares and the log live through the walks.
template <int T, bool KEYS, bool CAPTURE>
[[gnu::noinline]] void make_piece_move(Move m, Etat& cur)
{
    const int p = ply;
    Etat& next = (&cur)[1];
    const int side = trait, c = colour_index(side);
    const int type = move_piece(m), from = move_from(m), to = move_to(m);
    const int captured = CAPTURE ? move_captured(m) : 0;
    if constexpr (KEYS) {
        cur.coup = m;
        next_keys::piece_move(cur, next, c, type, from, to, captured);
    }
    Ficha* slot = case_ficha[from];
    const uint32_t bit = slot->mask;
    if constexpr (T == KNIGHT) {
        toggle_knight(attaques[c], from, bit);
        toggle_knight(attaques[c], to, bit);
    } else if constexpr (T == KING) {
        toggle_king(attaques[c], from);
        toggle_king(attaques[c], to);
    }
    AttackUndo* const start = advance_record(cur, next, p, side);
    AttackUndo* log = start;
    const int base = c * BOARD_SIZE;
    const int line = T == SLIDER_BIT ? direction[from * 100 + to] : 0;
    const int axis = line < 0 ? -line : line;
    if constexpr (T == SLIDER_BIT) log = al::slider_across(log, type, base, from, bit, axis);
    if constexpr (!CAPTURE) {
        next.irreversible = cur.irreversible;
        next.score_materiel = -cur.score_materiel;
        if constexpr (T == KING)
            log = al::beyond_own(log, c, to);
        else
            log = al::beyond_both(log, to, c, T == SLIDER_BIT ? bit : 0);
    } else {
        next.irreversible = p + 1;
        log = take_out(log, captured, to, c ^ 1, -side, cur, next);
    }
    slot->square = static_cast<uint32_t>(to);
    case_ficha[to] = slot;
    move_on_board(from, to);
    log = al::beyond_both(log, from);
    if constexpr (T == SLIDER_BIT) {
        log = al::slider_across(log, type, base, to, bit, axis);
        log = slide_along(log, base, from, to, line, bit, captured);
    }
    close_log(p, start, log);
    if constexpr (CAPTURE) next.score_materiel = evalue_materiel();
}

// The routine of a knight, king or slider move, quiet or a capture.
template <int T, bool KEYS>
void make_step_or_slide(Move m)
{
    // The record is passed in: reached from `ply` inside, its address (ply times 68 bytes) would
    // be worked out again wherever the walks have taken its register.
    Etat& cur = etats[ply];
    if (move_captured(m) == 0)
        make_piece_move<T, KEYS, false>(m, cur);
    else
        make_piece_move<T, KEYS, true>(m, cur);
}

template <bool KEYS>
[[gnu::noinline]] void make_king_move(Move m)
{
    const int from = move_from(m), to = move_to(m);
    if (to - from != 20 && to - from != -20) return make_step_or_slide<KING, KEYS>(m);
    const Frame f = open_frame();
    const int rook_from = to > from ? from + 30 : from - 40;
    const int rook_to = to > from ? from + 10 : from - 10;
    if constexpr (KEYS) {
        f.cur.coup = m;
        next_keys::castling(f.cur, f.next, f.c, from, to, rook_from, rook_to);
    }
    close_frame(f, make_castling(f.log, f.cur, from, to, rook_from, rook_to, f.c), false);
}

// The rare pawn moves, each its own routine so that the common one keeps its registers.
template <bool KEYS>
[[gnu::noinline]] void make_promotion_move(Move m)
{
    const Frame f = open_frame();
    const int from = move_from(m), to = move_to(m);
    const int captured = move_captured(m), promotion = move_promotion(m);
    if constexpr (KEYS) {
        f.cur.coup = m;
        next_keys::promotion(f.cur, f.next, f.c, from, to, captured, promotion);
    }
    close_frame(f, make_promotion(f.log, f.cur, from, to, captured, promotion, f.c), true);
}

template <bool KEYS>
[[gnu::noinline]] void make_en_passant_move(Move m)
{
    const Frame f = open_frame();
    const int from = move_from(m), to = move_to(m);
    if constexpr (KEYS) {
        f.cur.coup = m;
        next_keys::en_passant(f.cur, f.next, f.c, from, to, to - f.side);
    }
    close_frame(f, make_en_passant(f.log, f.cur, from, to, f.c), true);
}

// A pawn move that neither promotes nor takes en passant, a capture when CAPTURE (an en-passant
// capture has no `captured` type and is told apart by its square): pushes and captures each
// have their own routine, so a push carries no victim through its walks.
template <bool KEYS, bool CAPTURE>
[[gnu::noinline]] void make_plain_pawn_move(Move m, Etat& cur)
{
    const int p = ply;
    Etat& next = (&cur)[1];
    const int from = move_from(m), to = move_to(m);
    const int captured = CAPTURE ? move_captured(m) : 0;
    const int side = trait, c = colour_index(side);
    if constexpr (KEYS) {
        cur.coup = m;
        next_keys::pawn_move(cur, next, c, side, from, to, captured);
    }
    Ficha* slot = case_ficha[from];
    const uint32_t bit = slot->mask;
    toggle_pawn(attaques[c], from, side, bit);
    toggle_pawn(attaques[c], to, side, bit);
    next.irreversible = p + 1;
    AttackUndo* const start = advance_record(cur, next, p, side);
    AttackUndo* log = start;
    if constexpr (!CAPTURE) {
        next.score_materiel = -cur.score_materiel;
        pawn_moves_on_file(c, from, to);
        log = al::beyond_both(log, to);
    } else {
        pawn_leaves_file(c, from);
        pawn_enters_file(c, to);
        log = take_out(log, captured, to, c ^ 1, -side, cur, next);
    }
    slot->square = static_cast<uint32_t>(to);
    case_ficha[to] = slot;
    move_on_board(from, to);
    log = al::beyond_both(log, from);
    close_log(p, start, log);
    if constexpr (CAPTURE) next.score_materiel = evalue_materiel();
}

// The pawn routine of m: the rare kinds first, each in its own routine.
template <bool KEYS>
void make_pawn_move(Move m)
{
    if (move_promotion(m) != 0) return make_promotion_move<KEYS>(m);
    Etat& cur = etats[ply];  // passed in, as for make_step_or_slide
    if (next_keys::pawn_takes_en_passant(move_from(m), move_to(m), cur))
        return make_en_passant_move<KEYS>(m);
    if (move_captured(m) == 0) return make_plain_pawn_move<KEYS, false>(m, cur);
    make_plain_pawn_move<KEYS, true>(m, cur);
}

// The routine of m's moving type, by direct branches (sliders first, then pawns: the commonest
// movers in a search).
template <bool KEYS>
void make_by_type(Move m)
{
    const int type = move_piece(m);
    if (is_slider(type))
        make_step_or_slide<SLIDER_BIT, KEYS>(m);
    else if (type == PAWN)
        make_pawn_move<KEYS>(m);
    else if (type == KNIGHT)
        make_step_or_slide<KNIGHT, KEYS>(m);
    else
        make_king_move<KEYS>(m);
}

}  // namespace

void play_move(Move m)
{
    make_by_type<true>(m);
}

void play_move_after_keys(Move m)
{
    make_by_type<false>(m);
}
