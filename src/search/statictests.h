// Static tests the search uses to decide on pruning and extensions without making moves: a
// hanging-piece test and a mobility test for the null move, a queen contact mate in one, and the
// removal of checking captures already produced by the capture generator. They only read the
// position record, the static tables and the move stack (drop_big_captures also rewrites it).
#pragma once

#include <array>
#include <cstdint>

#include "platform/thread_state.h"

// queen_contact_mate statistics (tries, and tries that found a mate); cleared with the search
// counters at the start of each think.
extern QV_THREAD_STATE uint32_t queen_mate_tries, queen_mate_found;

// True when a piece of `side` (+1 White, -1 Black) is attacked badly enough that a null move is
// unsafe with the given margin (material - beta + 300 in the search).
bool piece_threat(int side, int margin);
// True when the height's generated list holds at least eight moves keeping the margin, made by
// at least two different pieces.
bool enough_safe_moves(int height, int margin);
// True when the queen of `side` in its lowest slot mates at once next to the enemy king.
bool queen_contact_mate(int side);
// Drops from the move stack range [first, last) the captures whose victim is worth at least the
// threshold, filling holes from the end; returns the new end. Kept moves may change order.
int drop_big_captures(int first, int last, int threshold);

// The eight neighbours of a square as bits of one byte, by step (the same bit names the
// direction): +1 2, -9 1, +11 4, -1 64, -11 32, +9 128, -10 8, +10 16.
constexpr std::array<int, 8> NEIGHBOUR_STEPS = {1, -9, 11, -1, -11, 9, -10, 10};
constexpr std::array<uint8_t, 8> NEIGHBOUR_BITS = {2, 1, 4, 64, 32, 128, 8, 16};

// flight_table[closed] holds the bit of neighbour n when a queen standing on n covers every
// neighbour of the king that `closed` leaves open. A queen covers the neighbours on its lines
// with no other neighbour between them; the king's own square does not block.
constexpr auto flight_table = [] {
    std::array<uint8_t, 256> table{};
    auto dx = [](int i) { return (NEIGHBOUR_STEPS[i] + 11) / 10 - 1; };  // file offset -1..1
    auto dy = [dx](int i) { return NEIGHBOUR_STEPS[i] - 10 * dx(i); };   // rank offset -1..1
    uint8_t covers[8] = {};
    for (int n = 0; n < 8; ++n) {
        for (int m = 0; m < 8; ++m) {
            const int ddx = dx(m) - dx(n), ddy = dy(m) - dy(n);
            if (m == n) continue;
            const bool aligned = ddx == 0 || ddy == 0 || ddx == ddy || ddx == -ddy;
            if (!aligned) continue;
            // Two squares apart: the midpoint blocks unless it is the king's square.
            const bool far = ddx == 2 || ddx == -2 || ddy == 2 || ddy == -2;
            const int mx = dx(n) + ddx / 2, my = dy(n) + ddy / 2;
            if (far && !(mx == 0 && my == 0)) continue;
            covers[n] = static_cast<uint8_t>(covers[n] | NEIGHBOUR_BITS[m]);
        }
    }
    for (int closed = 0; closed < 256; ++closed) {
        for (int n = 0; n < 8; ++n) {
            if (((closed | covers[n]) & 0xff) == 0xff)
                table[closed] = static_cast<uint8_t>(table[closed] | NEIGHBOUR_BITS[n]);
        }
    }
    return table;
}();
