// make_move and unmake_move: the entry points around the routines of move_routines.cpp, with the
// move counter, the slow-check builds' check after every make and unmake, the null move and the
// capture steps on their own. Nothing is copied back: every change is undone by its inverse.
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
#include "core/next_keys.h"
#include "core/rays.h"
#include "core/tables.h"
#include "core/verify.h"
#include "platform/thread_state.h"

QV_THREAD_STATE uint64_t make_move_calls;
QV_THREAD_STATE AttackUndo attack_undo_log[MAX_PLY_RECORDS * ATTACK_UNDO_PER_MOVE];
QV_THREAD_STATE uint32_t attack_undo_start[MAX_PLY_RECORDS + 1];

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
    play_move(m);
    check_record("make_move", m);
}

// begin_move's keys by moving type: pawn moves and the others each have their own routine, so
// that neither carries the other's loads.
namespace {
[[gnu::noinline]] void begin_pawn_move(Move m)
{
    Etat& cur = etats[ply];
    Etat& next = (&cur)[1];
    const int side = trait, c = colour_index(side);
    const int from = move_from(m), to = move_to(m), captured = move_captured(m);
    cur.coup = m;
    if (move_promotion(m) != 0)
        next_keys::promotion(cur, next, c, from, to, captured, move_promotion(m));
    else if (next_keys::pawn_takes_en_passant(from, to, cur))
        next_keys::en_passant(cur, next, c, from, to, to - side);
    else
        next_keys::pawn_move(cur, next, c, side, from, to, captured);
}

[[gnu::noinline]] void begin_piece_move(Move m)
{
    Etat& cur = etats[ply];
    Etat& next = (&cur)[1];
    const int c = colour_index(trait);
    const int type = move_piece(m), from = move_from(m), to = move_to(m);
    cur.coup = m;
    if (type == KING && (to - from == 20 || to - from == -20)) {
        if (to > from)
            next_keys::castling(cur, next, c, from, to, from + 30, from + 10);
        else
            next_keys::castling(cur, next, c, from, to, from - 40, from - 10);
    } else {
        next_keys::piece_move(cur, next, c, type, from, to, move_captured(m));
    }
}
}  // namespace

void begin_move(Move m)
{
    ++make_move_calls;
    if (move_piece(m) == PAWN) return begin_pawn_move(m);
    begin_piece_move(m);
}

void finish_move(Move m)
{
    play_move_after_keys(m);
    check_record("make_move", m);
}

void unmake_move(Move m)
{
    take_back_move(m);
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
