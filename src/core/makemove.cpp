// make_move and unmake_move: the frames around the board-side routines (move_routines.cpp).
// A make first writes what the next record is known by (keys, castling rights, en-passant
// square), then plays the move on the board logging its attack XORs; an unmake replays the log
// and takes the rest back. Nothing is copied back: every change is undone by its inverse.
#include "core/makemove.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/attack_log.h"
#include "core/board.h"
#include "core/keys.h"
#include "core/material.h"
#include "core/move_routines.h"
#include "core/rays.h"
#include "core/tables.h"
#include "core/verify.h"

uint64_t make_move_calls;
AttackUndo attack_undo_log[MAX_PLY_RECORDS * ATTACK_UNDO_PER_MOVE];
uint32_t attack_undo_start[MAX_PLY_RECORDS + 1];

namespace {

static_assert(castle_keys[0] == Key96{} && ep_keys[0] == Key96{} && case64[0] == 0,
              "no rights and no en-passant square must add nothing to a key");

// A pawn move onto the record's en-passant square is a capture only when it changes file: a
// set-up may name any square, and a push onto it must stay a push.
bool is_en_passant(Move m, const Etat& cur)
{
    const int from = move_from(m), to = move_to(m);
    return move_piece(m) == PAWN && to == static_cast<int>(cur.case_ep) &&
           colonne[to] != colonne[from];
}

// The en-passant target after a pawn move of `side` from `from` to `to`: the square passed
// over by a double step, when an enemy pawn stands beside the destination to use it.
uint32_t en_passant_target(int from, int to, int side)
{
    if ((to - from) * side != 2) return 0;
    const uint8_t enemy_pawn = colour_bit(-side) + PAWN;
    if (echiquier[to - 10] != enemy_pawn && echiquier[to + 10] != enemy_pawn) return 0;
    return static_cast<uint32_t>(to - side);
}

// A key as one 64-bit and one 32-bit word, XORed two words at a time; the same bits as Key96.
struct WideKey {
    uint64_t lo;
    uint32_t hi;
};

WideKey wide(const Key96& k)
{
    WideKey w;
    std::memcpy(&w.lo, &k.w[0], sizeof w.lo);
    w.hi = k.w[2];
    return w;
}

WideKey operator^(WideKey a, const Key96& b)
{
    const WideKey w = wide(b);
    return WideKey{a.lo ^ w.lo, a.hi ^ w.hi};
}

void store(Key96& k, WideKey w)
{
    std::memcpy(&k.w[0], &w.lo, sizeof w.lo);
    k.w[2] = w.hi;
}

// Everything the position after m is known by: its keys, castling rights and en-passant
// square, read from the move word and the board before the move (the squares beside a double
// step's destination do not change with it). The board-side routines read none of these
// fields, so a caller can have them before the board changes.
inline void write_next_keys(Move m, int side, bool en_passant, const Etat& cur, Etat& next)
{
    const int c = colour_index(side), o = c ^ 1;
    const int type = move_piece(m), from = move_from(m), to = move_to(m);
    const int captured = move_captured(m), promotion = move_promotion(m);
    const int q_from = case64[from], q_to = case64[to];
    const auto& own = psq_keys[6 * c];  // the mover's pawns
    WideKey pawn = wide(cur.pawn_key);
    WideKey piece = wide(cur.piece_key);
    uint32_t roque = cur.roque;
    uint32_t ep = 0;
    if (type == PAWN) {
        if (en_passant) {
            pawn = pawn ^ own[q_from] ^ own[q_to] ^ psq_keys[6 * o][case64[to - side]];
        } else {
            pawn = pawn ^ own[q_from];
            if (promotion != 0) {
                piece = piece ^ psq_keys[kind_of_type[promotion] + 6 * c][q_to];
            } else {
                pawn = pawn ^ own[q_to];
                ep = en_passant_target(from, to, side);
            }
            roque &= castle_mask[q_to];
        }
    } else if (type == KING && (to - from == 20 || to - from == -20)) {
        const int rook_from = to > from ? from + 30 : from - 40;
        const int rook_to = to > from ? from + 10 : from - 10;
        const auto& rook_keys = psq_keys[KIND_ROOK + 6 * c];
        piece = piece ^ psq_keys[KIND_KING + 6 * c][q_from] ^ psq_keys[KIND_KING + 6 * c][q_to] ^
                rook_keys[case64[rook_from]] ^ rook_keys[case64[rook_to]];
        roque &= castle_mask[q_from];
    } else {
        const auto& keys = psq_keys[kind_of_type[type] + 6 * c];
        piece = piece ^ keys[q_from] ^ keys[q_to];
        roque &= type == KNIGHT ? castle_mask[q_to] : castle_mask[q_from] & castle_mask[q_to];
    }
    if (captured != 0 && !en_passant) {
        if (captured == PAWN)
            pawn = pawn ^ psq_keys[6 * o][q_to];
        else
            piece = piece ^ psq_keys[kind_of_type[captured] + 6 * o][q_to];
    }
    store(next.pawn_key, pawn);
    store(next.piece_key, piece);
    next.roque = roque;
    next.case_ep = ep;
    // No rights and no en-passant square add nothing (asserted above).
    const WideKey hash{pawn.lo ^ piece.lo, pawn.hi ^ piece.hi};
    store(next.hash_key, hash ^ castle_keys[roque] ^ ep_keys[case64[ep]]);
}

// The second half of make_move, from the record at `ply`.
inline void play_move(Move m, bool en_passant)
{
    const int p = ply;
    const int side = trait;
    Etat& cur = etats[p];
    Etat& next = etats[p + 1];
    AttackUndo* start = &attack_undo_log[attack_undo_start[p]];
    AttackUndo* end = play_on_board(m, colour_index(side), en_passant, cur, start);
    assert(end - start <= ATTACK_UNDO_PER_MOVE);
    attack_undo_start[p + 1] = static_cast<uint32_t>(end - attack_undo_log);
    ply = p + 1;
    trait = -side;
    const bool material_changed = en_passant || (m & 0x7e0000) != 0;  // capture or promotion
    next.score_materiel = material_changed ? evalue_materiel() : -cur.score_materiel;
}

}  // namespace

// ---- captures -----------------------------------------------------------------------------------

void retire_prise(int t, int sq, int o, uint32_t* table, int q)
{
    (void)table;  // always attaques[o]
    Etat& next = etats[ply + 1];
    if (t == PAWN)
        next.pawn_key ^= psq_keys[6 * o][q];
    else
        next.piece_key ^= psq_keys[kind_of_type[t] + 6 * o][q];
    AttackUndo scratch[ATTACK_UNDO_PER_MOVE];  // what a standalone take-out XORs is not kept
    take_out_piece(scratch, t, sq, o, -trait);
}

void remet_prise(int t, int sq, int o, uint32_t* table)
{
    put_back_piece(t, sq, o, -trait);
    if (is_slider(t)) toggle_slider(t, sq, table, ficha[o][etats[ply].ficha_prise].mask);
}

void bascule_rayons(int type, int sq, uint32_t* table, uint32_t mask)
{
    toggle_slider(type, sq, table, mask);
}

// Slow-check builds (Debug, or QUARVELIN_SLOW_CHECKS) prove every make and unmake against the
// full consistency check and stop at the first record that disagrees with its board, so a fault
// is caught at the move that made it rather than where it shows.
namespace {
void check_record([[maybe_unused]] const char* what, [[maybe_unused]] Move m)
{
#ifdef QUARVELIN_SLOW_CHECKS
    if (position_consistent()) return;
    std::fprintf(stderr, "%s of move %08x at ply %d: the record disagrees with the board\n", what,
                 static_cast<unsigned>(m), ply);
    std::abort();
#endif
}
}  // namespace

// ---- frames -------------------------------------------------------------------------------------

void make_move(Move m)
{
    ++make_move_calls;
    Etat& cur = etats[ply];
    cur.coup = m;
    const bool en_passant = is_en_passant(m, cur);
    write_next_keys(m, trait, en_passant, cur, (&cur)[1]);
    play_move(m, en_passant);
    check_record("make_move", m);
}

void begin_move(Move m)
{
    ++make_move_calls;
    Etat& cur = etats[ply];
    cur.coup = m;
    write_next_keys(m, trait, is_en_passant(m, cur), cur, (&cur)[1]);
}

void finish_move(Move m)
{
    play_move(m, is_en_passant(m, etats[ply]));
    check_record("make_move", m);
}

void unmake_move(Move m)
{
    const int side = -trait;
    const int p = ply - 1;
    ply = p;
    trait = side;
    attack_log::replay(&attack_undo_log[attack_undo_start[p]],
                       &attack_undo_log[attack_undo_start[p + 1]]);
    take_back_on_board(m, colour_index(side), is_en_passant(m, etats[p]), etats[p]);
    check_record("unmake_move", m);
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
    attack_undo_start[ply + 1] = attack_undo_start[ply];
    ++ply;
    trait = -trait;
}

void unmake_null_move()
{
    trait = -trait;
    --ply;
}
