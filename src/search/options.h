// The settings of the search that the loops change between searches: the value of a draw and
// the operator time the allocation keeps back. Plain globals with the values of a fresh process.
#pragma once

#include <cstdint>

extern int32_t draw_value;     // the score of a draw from White's point of view
extern int32_t operator_time;  // ms added to each move's charge and kept back by the allocation

// A draw may be valued like any position, never like a mate: a larger value would pass for a
// mate in the transposition table and overflow the search's negations.
constexpr int32_t MAX_DRAW_VALUE = 10000;
constexpr int32_t bounded_draw_value(int64_t v)
{
    if (v < -MAX_DRAW_VALUE) return -MAX_DRAW_VALUE;
    return v > MAX_DRAW_VALUE ? MAX_DRAW_VALUE : static_cast<int32_t>(v);
}
