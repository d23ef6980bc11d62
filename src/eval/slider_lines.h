// Walks of a slider along one line of the mailbox, the step a template constant: the empty
// squares it sees and the pieces met behind one another. Every walk stops on a non-empty byte,
// and the border around the board guarantees one on every line.
#pragma once

#include <array>
#include <cstdint>

#include "core/types.h"

namespace slider_lines {

// A pawn of either colour or the edge ends an x-ray line.
constexpr auto ENDS_LINE = [] {
    std::array<bool, BORDER + 1> t{};
    t[BORDER] = t[WHITE_BIT | PAWN] = t[BLACK_BIT | PAWN] = true;
    return t;
}();

// The number of steps of a line move by its length in board indices (a multiple of the step
// 1, 9, 10 or 11, at most 8 steps: the step onto the border included). No length is a multiple
// of two of these steps within 8 steps, so one table serves every line.
constexpr auto STEPS_OF_LENGTH = [] {
    std::array<uint8_t, 8 * 11 + 1> t{};
    for (int step : {1, 9, 10, 11})
        for (int n = 1; n <= 8; ++n) t[n * step] = static_cast<uint8_t>(n);
    return t;
}();

// The first non-empty square after p along STEP.
template <int STEP>
const uint8_t* first_piece(const uint8_t* p)
{
    do p += STEP;
    while (*p == EMPTY);
    return p;
}

// The empty squares between from and the first piece p along STEP.
template <int STEP>
int empties_before(const uint8_t* from, const uint8_t* p)
{
    const auto length = STEP > 0 ? p - from : from - p;
    if constexpr (STEP == 1 || STEP == -1) return static_cast<int>(length) - 1;
    return STEPS_OF_LENGTH[length] - 1;
}

// The empty squares a slider on from sees along STEP.
template <int STEP>
int empties(const uint8_t* from)
{
    return empties_before<STEP>(from, first_piece<STEP>(from));
}

// The x-ray value of one line of a slider on from: up to three pieces met along STEP, the k-th
// scored by table[k][board byte] (0 for the slider's own men); a pawn or the edge ends the line.
// The empty squares before the first piece are added to *empty.
template <int STEP, typename Table>
int xray_line(const uint8_t* from, const Table& table, int* empty)
{
    const uint8_t* p = first_piece<STEP>(from);
    *empty += empties_before<STEP>(from, p);
    int value = table[0][*p];
    if (ENDS_LINE[*p]) return value;
    p = first_piece<STEP>(p);
    value += table[1][*p];
    if (ENDS_LINE[*p]) return value;
    p = first_piece<STEP>(p);
    return value + table[2][*p];
}

}  // namespace slider_lines
