// The piece terms of one colour: knights, bishops, rooks and queens, with mobility summed into
// one accumulator and penalties into one accumulator per colour; both are cleared by the driver.
// Every routine takes s = +1 (White) or -1 (Black), returns a value good for s and only reads
// the position record and the pawn flags of the position evaluation_pions saw last.
#pragma once

#include <cstdint>

#include "core/board.h"
#include "platform/thread_state.h"

// Tenths of a point; cleared before each colour's piece terms.
extern QV_THREAD_STATE int32_t mobility_total;
// [colour index], cleared at the start of the piece terms.
extern QV_THREAD_STATE int32_t penalty[2];

// Mobility weights of the sliders, in tenths of a point per empty square they see.
constexpr int BISHOP_MOBILITY_WEIGHT = 20;
constexpr int ROOK_MOBILITY_WEIGHT = 15;
constexpr int QUEEN_MOBILITY_WEIGHT = 10;
// Ceiling of what a knight caught on a trap square can lose.
constexpr int KNIGHT_TRAP_MAX = 175;
constexpr int BISHOP_TRAPPED = 200;

// The middle game of the placement terms: more than 10 men besides the kings and both sides'
// phase counts (N + B + 2R + 4Q) summing to `phases` above 6.
// Inline: the driver asks once per full evaluation.
inline bool middle_game(int phases)
{
    const int men = nombre_pieces[0] + nombre_pieces[1] + nombre_pions[0] + nombre_pions[1];
    return men > 10 && phases > 6;
}
// Knights of s; reads the opponent's pawn flags, so evaluation_pions must have run first. The
// placement terms count in the middle game; the driver, which has the phase counts, passes the
// answer.
int knight_terms(int s);
int knight_terms(int s, bool placement);
int bishop_terms(int s);
// Rooks of s; reads both colours' pawn flags.
int rook_terms(int s);
int queen_terms(int s);
// The four routines above in turn, for the kinds s has.
int piece_terms(int s, bool placement);
