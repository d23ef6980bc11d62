// unmake_move's board side: the take-back of each kind of move, after the replay of its logged
// walks. Every step is the inverse of make's (move_routines.cpp) on the record the move was made
// from, so the board, piece list, counters and pawn-file tables come back bit for bit.
#include "core/board.h"
#include "core/keys.h"
#include "core/move_routines.h"
#include "core/next_keys.h"
#include "core/pawn_files.h"
#include "core/rays.h"
#include "core/tables.h"

namespace {

using move_steps::move_on_board;
using move_steps::side_of;

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

// A pawn's capture taken back: the victim returns and the pawn goes back to its own file.
[[gnu::noinline]] void unmake_pawn_capture(const Etat& cur, int to, int captured, int c)
{
    put_back(captured, to, c ^ 1, -side_of(c), cur);
    pawn_leaves_file(c, to);
}

// A pawn move of `side` (colour index c) that neither promoted nor took en passant.
void unmake_pawn(const Etat& cur, int from, int to, int captured, int c, int side)
{
    Ficha* slot = case_ficha[to];
    const uint32_t bit = slot->mask;
    toggle_pawn(attaques[c], to, side, bit);
    toggle_pawn(attaques[c], from, side, bit);
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
    const int side = trait, c = colour_index(side);
    const int from = move_from(m), to = move_to(m);
    const int captured = move_captured(m), promotion = move_promotion(m);
    if (promotion != 0)
        unmake_promotion(cur, from, to, captured, promotion, c);
    else if (next_keys::pawn_takes_en_passant(from, to, cur))
        unmake_en_passant(cur, from, to, c);
    else
        unmake_pawn(cur, from, to, captured, c, side);
}

}  // namespace

void put_back_piece(int t, int sq, int o, int forward)
{
    put_back(t, sq, o, forward, etats[ply]);
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
