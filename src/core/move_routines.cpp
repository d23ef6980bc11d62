// make_move and unmake_move, one board-side routine per kind of move, and the one reading of the
// move word that picks it and writes the keys beside it. A make runs its steps in one fixed order
// (own attacks off, capture or cut at the destination, board, extend at the origin, own attacks
// on, slot), each XOR walk reading the board of that moment and logging what it XORs; the
// take-back replays the log and restores the rest in reverse.
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

constexpr int side_of(int c)
{
    return c == WHITE ? 1 : -1;
}

void move_on_board(int from, int to)
{
    echiquier[to] = echiquier[from];
    echiquier[from] = EMPTY;
}

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

// The inverse of take_out, from cur's `ficha_prise`; a slider's rays come back from the log.
[[gnu::noinline]] void put_back(int t, int sq, int o, int forward, const Etat& cur)
{
    Ficha* victim = &ficha[o][cur.ficha_prise];
    const uint32_t bit = victim->mask;

    case_ficha[sq] = victim;
    echiquier[sq] = static_cast<uint8_t>(colour_bit_of_index(o) + t);
    if (t == PAWN) {
        mk[o] += 1;
        mk3 ^= material_keys[6 * o][nombre_pions[o]];
        ++nombre_pions[o];
        toggle_pawn(attaques[o], sq, forward, bit);
        pawn_enters_file(o, sq);
    } else {
        ++nombre_pieces[o];
        mk[o] += count_increment[t];
        mk3 ^= material_keys[kind_of_type[t] + 6 * o][bit_count[piece_type[o][t]]];
        if (t == KNIGHT) {
            toggle_knight(attaques[o], sq, bit);
        } else {
            if (t == BISHOP) ++cf[o][couleur_case[sq]];
            pieces_glissantes_mask[o] |= bit;
        }
    }
    piece_type[o][t] |= bit;
}

// Taking back a move to `to`: the victim returns, or `to` empties.
void restore_destination(int captured, int to, int c, const Etat& cur)
{
    if (captured != 0)
        put_back(captured, to, c ^ 1, -side_of(c), cur);
    else
        echiquier[to] = EMPTY;
}

// ---- knight, king and sliders -------------------------------------------------------------------

// The mover's own attacks from sq: for a slider all rays but the two along its line of travel,
// which slide_along updates. A knight's or king's are not logged: the take-back XORs them again.
template <int T>
AttackUndo* own_attacks(AttackUndo* log, int type, int c, int sq, uint32_t bit, int axis)
{
    if constexpr (T == KNIGHT)
        toggle_knight(attaques[c], sq, bit);
    else if constexpr (T == KING)
        toggle_king(attaques[c], sq);
    else
        log = al::slider_across(log, type, c * BOARD_SIZE, sq, bit, axis);
    return log;
}

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

template <int T>
AttackUndo* make_piece(AttackUndo* log, Etat& cur, int type, int from, int to, int captured, int c)
{
    Etat& next = (&cur)[1];
    const int o = c ^ 1;
    Ficha* slot = case_ficha[from];
    const uint32_t bit = slot->mask;
    const int line = T == SLIDER_BIT ? direction[from * 100 + to] : 0;
    const int axis = line < 0 ? -line : line;

    next.materiel[c] = cur.materiel[c];
    log = own_attacks<T>(log, type, c, from, bit, axis);
    if (captured != 0) {
        next.irreversible = ply + 1;
        log = take_out(log, captured, to, o, -side_of(c), cur, next);
    } else {
        next.materiel[o] = cur.materiel[o];
        next.irreversible = cur.irreversible;
        if constexpr (T == KING)
            log = al::beyond_own(log, c, to);
        else
            log = al::beyond_both(log, to, c, T == SLIDER_BIT ? bit : 0);
    }
    move_on_board(from, to);
    log = al::beyond_both(log, from);
    log = own_attacks<T>(log, type, c, to, bit, axis);
    if constexpr (T == SLIDER_BIT)
        log = slide_along(log, c * BOARD_SIZE, from, to, line, bit, captured);
    slot->square = static_cast<uint32_t>(to);
    case_ficha[to] = slot;
    return log;
}

template <int T>
void unmake_piece(const Etat& cur, int from, int to, int captured, int c)
{
    Ficha* slot = case_ficha[to];
    if constexpr (T == KNIGHT) {
        toggle_knight(attaques[c], to, slot->mask);
        toggle_knight(attaques[c], from, slot->mask);
    } else if constexpr (T == KING) {
        toggle_king(attaques[c], to);
        toggle_king(attaques[c], from);
    }
    echiquier[from] = echiquier[to];
    slot->square = static_cast<uint32_t>(from);
    case_ficha[from] = slot;
    restore_destination(captured, to, c, cur);
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

void unmake_castling(int from, int to, int rook_from, int rook_to, int c)
{
    Ficha* king = case_ficha[to];
    Ficha* rook = case_ficha[rook_to];
    toggle_king(attaques[c], to);
    toggle_king(attaques[c], from);
    move_on_board(to, from);
    move_on_board(rook_to, rook_from);
    rook->square = static_cast<uint32_t>(rook_from);
    case_ficha[rook_from] = rook;
    king->square = static_cast<uint32_t>(from);
    case_ficha[from] = king;
}

// ---- pawns --------------------------------------------------------------------------------------

AttackUndo* make_pawn(AttackUndo* log, Etat& cur, int from, int to, int captured, int c)
{
    Etat& next = (&cur)[1];
    const int o = c ^ 1;
    const int side = side_of(c);
    Ficha* slot = case_ficha[from];
    const uint32_t bit = slot->mask;

    next.materiel[c] = cur.materiel[c];
    toggle_pawn(attaques[c], from, side, bit);
    if (captured != 0) {
        log = take_out(log, captured, to, o, -side, cur, next);
        pawn_leaves_file(c, from);
        pawn_enters_file(c, to);
    } else {
        next.materiel[o] = cur.materiel[o];
        log = al::beyond_both(log, to);
        pawn_moves_on_file(c, from, to);
    }
    next.irreversible = ply + 1;
    move_on_board(from, to);
    log = al::beyond_both(log, from);
    toggle_pawn(attaques[c], to, side, bit);
    slot->square = static_cast<uint32_t>(to);
    case_ficha[to] = slot;
    return log;
}

// A pawn's capture taken back: the victim returns and the pawn goes back to its own file.
[[gnu::noinline]] void unmake_pawn_capture(const Etat& cur, int to, int captured, int c)
{
    put_back(captured, to, c ^ 1, -side_of(c), cur);
    pawn_leaves_file(c, to);
}

void unmake_pawn(const Etat& cur, int from, int to, int captured, int c)
{
    Ficha* slot = case_ficha[to];
    toggle_pawn(attaques[c], to, side_of(c), slot->mask);
    toggle_pawn(attaques[c], from, side_of(c), slot->mask);
    echiquier[from] = echiquier[to];
    slot->square = static_cast<uint32_t>(from);
    case_ficha[from] = slot;
    if (captured != 0) {
        unmake_pawn_capture(cur, to, captured, c);
        pawn_enters_file(c, from);
    } else {
        echiquier[to] = EMPTY;
        pawn_moves_on_file(c, to, from);
    }
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

[[gnu::noinline]] void unmake_promotion(const Etat& cur, int from, int to, int captured,
                                        int promotion, int c)
{
    Ficha* slot = case_ficha[to];
    const uint32_t bit = slot->mask;
    if (promotion == KNIGHT)
        toggle_knight(attaques[c], to, bit);
    else
        pieces_glissantes_mask[c] ^= bit;
    echiquier[from] = static_cast<uint8_t>(colour_bit_of_index(c) + PAWN);
    slot->square = static_cast<uint32_t>(from);
    case_ficha[from] = slot;
    uncount_promotion(c, promotion, to, bit);
    restore_destination(captured, to, c, cur);
    pawn_enters_file(c, from);
    toggle_pawn(attaques[c], from, side_of(c), bit);
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

[[gnu::noinline]] void unmake_en_passant(const Etat& cur, int from, int to, int c)
{
    const int o = c ^ 1;
    const int side = side_of(c);
    const int victim_sq = to - side;
    Ficha* slot = case_ficha[to];
    Ficha* victim = &ficha[o][cur.ficha_prise];

    toggle_pawn(attaques[c], to, side, slot->mask);
    toggle_pawn(attaques[c], from, side, slot->mask);
    toggle_pawn(attaques[o], victim_sq, -side, victim->mask);

    echiquier[victim_sq] = static_cast<uint8_t>(colour_bit_of_index(o) + PAWN);
    case_ficha[victim_sq] = victim;
    move_on_board(to, from);
    slot->square = static_cast<uint32_t>(from);
    case_ficha[from] = slot;
    pawn_leaves_file(c, to);
    pawn_enters_file(o, victim_sq);
    pawn_enters_file(c, from);
    mk3 ^= material_keys[6 * o][nombre_pions[o]];
    ++nombre_pions[o];
    mk[o] += 1;
    piece_type[o][PAWN] |= victim->mask;
}

}  // namespace

AttackUndo* take_out_piece(AttackUndo* log, int t, int sq, int o, int forward)
{
    return take_out(log, t, sq, o, forward, etats[ply], etats[ply + 1]);
}

void put_back_piece(int t, int sq, int o, int forward)
{
    put_back(t, sq, o, forward, etats[ply]);
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

// The log bounds, ply, side to move and the material score of the record made.
void close_frame(const Frame& f, AttackUndo* end, bool material_changed)
{
    assert(end - f.log <= ATTACK_UNDO_PER_MOVE);
    attack_undo_start[f.p + 1] = static_cast<uint32_t>(end - attack_undo_log);
    ply = f.p + 1;
    trait = -f.side;
    f.next.score_materiel = material_changed ? evalue_materiel() : -f.cur.score_materiel;
}

// A capture or promotion changes the material.
constexpr Move CAPTURE_OR_PROMOTION = 0x7e0000;

// One whole make per moving type (sliders share one): the next record's keys when KEYS (without
// them begin_move wrote them), the board-side routine, the frame. Each reads only what its own
// kind of move needs.
template <int T, bool KEYS>
void make_piece_move(Move m)
{
    const Frame f = open_frame();
    const int type = move_piece(m), from = move_from(m), to = move_to(m);
    const int captured = move_captured(m);
    if constexpr (KEYS) next_keys::piece_move(f.cur, f.next, f.c, type, from, to, captured);
    close_frame(f, make_piece<T>(f.log, f.cur, type, from, to, captured, f.c), captured != 0);
}

template <bool KEYS>
void make_king_move(Move m)
{
    const int from = move_from(m), to = move_to(m);
    if (to - from != 20 && to - from != -20) return make_piece_move<KING, KEYS>(m);
    const Frame f = open_frame();
    const int rook_from = to > from ? from + 30 : from - 40;
    const int rook_to = to > from ? from + 10 : from - 10;
    if constexpr (KEYS) next_keys::castling(f.cur, f.next, f.c, from, to, rook_from, rook_to);
    close_frame(f, make_castling(f.log, f.cur, from, to, rook_from, rook_to, f.c), false);
}

template <bool KEYS>
void make_pawn_move(Move m)
{
    const Frame f = open_frame();
    const int from = move_from(m), to = move_to(m);
    const int captured = move_captured(m), promotion = move_promotion(m);
    AttackUndo* end;
    if (next_keys::pawn_takes_en_passant(from, to, f.cur)) {
        if constexpr (KEYS) next_keys::en_passant(f.cur, f.next, f.c, from, to, to - f.side);
        end = make_en_passant(f.log, f.cur, from, to, f.c);
        return close_frame(f, end, true);
    }
    if (promotion != 0) {
        if constexpr (KEYS) next_keys::promotion(f.cur, f.next, f.c, from, to, captured, promotion);
        end = make_promotion(f.log, f.cur, from, to, captured, promotion, f.c);
    } else {
        if constexpr (KEYS) next_keys::pawn_move(f.cur, f.next, f.c, from, to, captured);
        end = make_pawn(f.log, f.cur, from, to, captured, f.c);
    }
    close_frame(f, end, (m & CAPTURE_OR_PROMOTION) != 0);
}

// The take-backs by moving type, with ply and side back on the record m was made from and the
// logged walks replayed. Each is its own routine, entered by a jump once the replay is done, and
// the rare steps (captures, promotions, en passant, castling) are kept out of line, so the
// common take-backs save and restore only the registers they use.
template <int T>
[[gnu::noinline]] void take_back_piece(Move m)
{
    unmake_piece<T>(etats[ply], move_from(m), move_to(m), move_captured(m), colour_index(trait));
}

[[gnu::noinline]] void take_back_king(Move m)
{
    const int from = move_from(m), to = move_to(m), c = colour_index(trait);
    if (to - from == -20)
        unmake_castling(from, to, from - 40, from - 10, c);
    else if (to - from == 20)
        unmake_castling(from, to, from + 30, from + 10, c);
    else
        unmake_piece<KING>(etats[ply], from, to, move_captured(m), c);
}

[[gnu::noinline]] void take_back_pawn(Move m)
{
    const Etat& cur = etats[ply];
    const int from = move_from(m), to = move_to(m), c = colour_index(trait);
    const int captured = move_captured(m), promotion = move_promotion(m);
    if (next_keys::pawn_takes_en_passant(from, to, cur))
        unmake_en_passant(cur, from, to, c);
    else if (promotion != 0)
        unmake_promotion(cur, from, to, captured, promotion, c);
    else
        unmake_pawn(cur, from, to, captured, c);
}

// The routine of m's moving type, by direct branches (sliders first, then pawns: the commonest
// movers in a search).
template <bool KEYS>
void make_by_type(Move m)
{
    const int type = move_piece(m);
    if (is_slider(type))
        make_piece_move<SLIDER_BIT, KEYS>(m);
    else if (type == PAWN)
        make_pawn_move<KEYS>(m);
    else if (type == KNIGHT)
        make_piece_move<KNIGHT, KEYS>(m);
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

void take_back_move(Move m)
{
    const int p = ply - 1;
    ply = p;
    trait = -trait;
    attack_log::replay(&attack_undo_log[attack_undo_start[p]],
                       &attack_undo_log[attack_undo_start[p + 1]]);
    const int type = move_piece(m);
    if (is_slider(type))
        take_back_piece<SLIDER_BIT>(m);
    else if (type == PAWN)
        take_back_pawn(m);
    else if (type == KNIGHT)
        take_back_piece<KNIGHT>(m);
    else
        take_back_king(m);
}
