// The engine's pseudo-random generator, used only by the book's move choice: a multiplicative
// generator modulo 2^31 - 1 behind a 32-entry shuffle table. The state word stays in
// 1..2^31 - 2 once seeded, so every output lies in 1..2^31 - 2 and uniform values in [0, 1).
#pragma once

#include <cstdint>

constexpr int RANDOM_TABLE_SIZE = 32;

extern int32_t random_state;                     // last result of the multiplicative step
extern int32_t random_table[RANDOM_TABLE_SIZE];  // the shuffle table
extern int32_t random_last;                      // last output word; picks the next slot

// One step of state := 16807 x state mod (2^31 - 1), exact in 32-bit arithmetic.
int32_t random_step(int32_t state);
void seed_random(int32_t seed);
// The next output word of the shuffled sequence.
int32_t random_next();
// The next output divided by 2^31: a double in [0, 1).
double random_uniform();
// An integer in lo..hi inclusive (hi >= lo).
int32_t random_int(int32_t lo, int32_t hi);
