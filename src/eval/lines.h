// Slider lines read from a map of the occupied squares (bit case64[sq] set for each man): the
// men met along a line come from a few bit operations instead of a walk over the empty squares.
// The map is taken from `echiquier` when asked and is only valid until the board changes.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "core/board.h"
#include "core/tables.h"

namespace lines_detail {

// The eight mailbox steps and their sq64 counterparts; positive steps raise the sq64 index.
constexpr int STEPS[8] = {1, -1, 10, -10, -9, 11, -11, 9};

constexpr int step_index(int step)
{
    for (int d = 0; d < 8; ++d)
        if (STEPS[d] == step) return d;
    return -1;
}

// [step index][sq64]: the squares from sq64 (excluded) to the edge along the step.
constexpr auto RAYS = [] {
    std::array<std::array<uint64_t, 64>, 8> t{};
    for (int d = 0; d < 8; ++d)
        for (int i = 0; i < 64; ++i)
            for (int sq = case120[i] + STEPS[d]; on_board(sq); sq += STEPS[d])
                t[d][i] |= uint64_t{1} << case64[sq];
    return t;
}();

// [step index][sq64]: how many squares the ray holds.
constexpr auto RAY_LENGTHS = [] {
    std::array<std::array<uint8_t, 64>, 8> t{};
    for (int d = 0; d < 8; ++d)
        for (int i = 0; i < 64; ++i) t[d][i] = static_cast<uint8_t>(std::popcount(RAYS[d][i]));
    return t;
}();

}  // namespace lines_detail

// The map of the occupied squares. Each file is eight board bytes in a row (ranks 1 to 8): a
// byte's "not empty" bit is gathered into one map byte by a multiplication.
inline uint64_t occupied_map()
{
    uint64_t map = 0;
    for (int file = 1; file <= 8; ++file) {
        uint64_t bytes;
        std::memcpy(&bytes, &echiquier[square_of(file, 1)], sizeof bytes);
        constexpr uint64_t LOW7 = 0x7f7f7f7f7f7f7f7fULL;
        const uint64_t high = (((bytes & LOW7) + LOW7) | bytes) & ~LOW7;  // bit 7: not empty
        map |= ((high >> 7) * 0x0102040810204080ULL >> 56) << (8 * (file - 1));
    }
    return map;
}

// A slider's line from sq along step (one of the king steps) on the map `occupied`.
class Line {
public:
    Line(int sq, int step, uint64_t occupied)
        : from_(case64[sq]),
          up_(step > 0),
          rest_(lines_detail::RAYS[lines_detail::step_index(step)][from_] & occupied),
          length_(lines_detail::RAY_LENGTHS[lines_detail::step_index(step)][from_])
    {
    }
    // Squares passed before the first man, or to the edge when there is none.
    int empty_squares() const
    {
        return rest_ == 0 ? length_ : distance[case120[from_]][next()] - 1;
    }
    // The mailbox square of the next man on the line; only while more() holds.
    bool more() const
    {
        return rest_ != 0;
    }
    int next() const
    {
        const int i = up_ ? std::countr_zero(rest_) : 63 - std::countl_zero(rest_);
        return case120[i];
    }
    // Steps past the next man.
    void pass()
    {
        if (up_)
            rest_ &= rest_ - 1;
        else
            rest_ ^= uint64_t{1} << (63 - std::countl_zero(rest_));
    }

private:
    int from_;
    bool up_;
    uint64_t rest_;
    int length_;
};
