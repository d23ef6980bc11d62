// Exchange evaluation: the gain of a sequence of captures on one square, with sliders uncovered
// behind the pieces that capture, the best exchange a side can start, and the threat test of a
// move just made. All of it only reads the position record.
#pragma once

#include <cstdint>

#include "core/types.h"
#include "platform/thread_state.h"

// One entry per capture of a sequence plus the opening entry: every capture after the first
// removes a distinct slot (at most 16 per colour) from the attacker sets, so 34 entries can
// never be exceeded; the core still checks the bound before writing.
constexpr int SWAP_LIST_SIZE = 34;
// What a king capturing onto a defended square is worth to its side.
constexpr int EXCHANGE_KING_LOST = -30000;
// The least an exchange must win for a target of the threat test to count.
constexpr int THREAT_MIN_GAIN = 50;

extern QV_THREAD_STATE int32_t swap_list[SWAP_LIST_SIZE];

// Gain for the first mover (colour index c) of the exchange on `to` started from `from`;
// value_on_to may be 0 (a move to an empty square).
int exchange_core(int from, int to, int c, int value_on_to, int value_mover);
// 0 when colour c does not attack sq, else the exchange started by its least valuable attacker.
int exchange_square(int sq, int c, int value_on_sq);
// The best gain side s (+1/-1) can make by an exchange, never below 0.
int fight(int s);
// Called right after m was made (the side to move is the victim): 1 if a threat exists.
int threat_after_move(Move m);
