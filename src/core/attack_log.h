// The undo log of the attack tables: every XOR of a ray walk that make_move applies to
// `attaques` is also written here (word and mask), and unmake_move applies the same XORs again
// instead of walking the rays back on the board. XOR being its own inverse, the order of the
// replay is free. Fixed patterns (pawn, knight, king) are XORed again directly, not logged.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "core/board.h"
#include "core/rays.h"
#include "core/tables.h"
#include "platform/thread_state.h"

// One XOR: the word's index in `attaques` seen as one array ([c][sq] is c * BOARD_SIZE + sq) in
// bits 0-15 and the slot mask XORed into it (slot masks are 16-bit) in bits 16-31.
using AttackUndo = uint32_t;

// A bound on the logged XORs of one make: a slider's rays off and on (8 rays of at most 7 empty
// squares and the stop square each, 64 XORs per walk), a victim slider's rays (64), the rays
// continued past each square emptied or filled (at most one slider per direction reaches a
// square, so 8 rays of 8: 64 per square, three squares for en passant) and the ray along the
// line of a capturing slider (10): 394.
constexpr int ATTACK_UNDO_PER_MOVE = 400;

// The entries of the move made from ply p are undo_log[undo_start[p] .. undo_start[p + 1]).
// undo_start[0] is 0; make_move and make_null_move write undo_start[ply + 1].
extern QV_THREAD_STATE AttackUndo attack_undo_log[MAX_PLY_RECORDS * ATTACK_UNDO_PER_MOVE];
extern QV_THREAD_STATE uint32_t attack_undo_start[MAX_PLY_RECORDS + 1];

// The logged walks of make_move, each the plain walk of rays.h that also logs its XORs.
namespace attack_log {

inline uint32_t* words()
{
    return &attaques[0][0];
}

// XORs mask into word w and logs it; returns the next free entry.
inline AttackUndo* flip(AttackUndo* log, std::ptrdiff_t w, uint32_t mask)
{
    words()[w] ^= mask;
    *log = static_cast<uint32_t>(w) | mask << 16;
    return log + 1;
}

// base is c * BOARD_SIZE for colour c's table. The square is taken and walked as a pointer-sized
// index, so that neither the first step nor the others widen it again.
inline AttackUndo* ray(AttackUndo* log, int base, std::ptrdiff_t sq, int step, uint32_t mask)
{
    const std::ptrdiff_t d = step, b = base;
    std::ptrdiff_t q = sq + d;
    while (echiquier[q] == EMPTY) {
        log = flip(log, b + q, mask);
        q += d;
    }
    return flip(log, b + q, mask);
}

inline AttackUndo* slider(AttackUndo* log, int type, int base, int sq, uint32_t mask)
{
    if (type != BISHOP) {
        log = ray(log, base, sq, 1, mask);
        log = ray(log, base, sq, -1, mask);
        log = ray(log, base, sq, 10, mask);
        log = ray(log, base, sq, -10, mask);
    }
    if (type != ROOK) {
        log = ray(log, base, sq, -9, mask);
        log = ray(log, base, sq, 11, mask);
        log = ray(log, base, sq, -11, mask);
        log = ray(log, base, sq, 9, mask);
    }
    return log;
}

// A slider's rays but the two along `axis` (1, 9, 10 or 11), which its move updates itself.
inline AttackUndo* slider_across(AttackUndo* log, int type, int base, int sq, uint32_t mask,
                                 int axis)
{
    if (type != BISHOP) {
        if (axis != 1) {
            log = ray(log, base, sq, 1, mask);
            log = ray(log, base, sq, -1, mask);
        }
        if (axis != 10) {
            log = ray(log, base, sq, 10, mask);
            log = ray(log, base, sq, -10, mask);
        }
    }
    if (type != ROOK) {
        if (axis != 9) {
            log = ray(log, base, sq, -9, mask);
            log = ray(log, base, sq, 9, mask);
        }
        if (axis != 11) {
            log = ray(log, base, sq, 11, mask);
            log = ray(log, base, sq, -11, mask);
        }
    }
    return log;
}

// The sliders of colour c in `sliders` (all attacking q) have their rays continued past q,
// up to the next non-empty square (run just after q emptied it extends them, run while q still
// shows empty just before it fills it cuts them at q); slots lowest first.
inline AttackUndo* beyond(AttackUndo* log, int c, int q, uint32_t sliders)
{
    const int base = c * BOARD_SIZE;
    do {
        // Slot masks are 16-bit: bit 16 changes nothing but tells the compiler the word is not 0.
        const int k = std::countr_zero(sliders | 0x10000u);
        const uint32_t bit = sliders & (0u - sliders);
        sliders ^= bit;
        log = ray(log, base, q, direction[ficha[c][k].square * 100 + q], bit);
    } while (sliders != 0);
    return log;
}

// Black first, then White (the order is part of the record's update sequence), leaving out the
// slider `moving` of colour c.
inline AttackUndo* beyond_both(AttackUndo* log, int q, int c = BLACK, uint32_t moving = 0)
{
    const SlidersOn s = sliders_on(q, c, moving);
    if (s.set[BLACK] != 0) log = beyond(log, BLACK, q, s.set[BLACK]);
    if (s.set[WHITE] != 0) log = beyond(log, WHITE, q, s.set[WHITE]);
    return log;
}

// Colour c's sliders only: no enemy slider reaches the squares a king steps to.
inline AttackUndo* beyond_own(AttackUndo* log, int c, int q)
{
    const uint32_t sliders = attaques[c][q] & pieces_glissantes_mask[c];
    return sliders != 0 ? beyond(log, c, q, sliders) : log;
}

// Applies the XORs of [from, to) again, two entries a turn after a first one alone when their
// number is odd (XORs commute, so any order would do).
inline void replay(const AttackUndo* from, const AttackUndo* to)
{
    uint32_t* w = words();
    if ((to - from) & 1) {
        w[*from & 0xffff] ^= *from >> 16;
        ++from;
    }
    for (; from != to; from += 2) {
        w[from[0] & 0xffff] ^= from[0] >> 16;
        w[from[1] & 0xffff] ^= from[1] >> 16;
    }
}

}  // namespace attack_log
