// The book's random generator: its state word, shuffle table and last output are written only
// here. Seeding never leaves the state at 0 (a fixed point of the step), so the sequence
// cannot get stuck whatever seed the caller passes.
#include "book/random.h"

constexpr int32_t MODULUS = 2147483647;  // 2^31 - 1
constexpr int32_t MULTIPLIER = 16807;
constexpr int32_t QUOTIENT = 127773;  // MODULUS / MULTIPLIER
constexpr int32_t REMAINDER = 2836;   // MODULUS % MULTIPLIER
constexpr int32_t DEFAULT_SEED = 123456;
constexpr int32_t WARM_UP_STEPS = 8;
constexpr int SLOT_SHIFT = 26;  // an output below 2^31 shifted by 26 gives 0..31

int32_t random_state = DEFAULT_SEED;
int32_t random_table[RANDOM_TABLE_SIZE];
int32_t random_last;

int32_t random_step(int32_t state)
{
    // Schrage's decomposition keeps both products below 2^31.
    const int32_t k = state / QUOTIENT;
    int32_t next = MULTIPLIER * (state - k * QUOTIENT) - REMAINDER * k;
    if (next < 0) next += MODULUS;
    return next;
}

void seed_random(int32_t seed)
{
    // Widened so that negating the most negative seed cannot overflow.
    int64_t s = seed == 0 ? DEFAULT_SEED : seed;
    if (s < 0) s = -s;
    if (s >= MODULUS) s -= MODULUS;
    // Seeds congruent to 0 would freeze the generator at 0: they start like seed 0 instead.
    if (s == 0) s = DEFAULT_SEED;
    int32_t state = static_cast<int32_t>(s);
    for (int i = 0; i < WARM_UP_STEPS; ++i) state = random_step(state);
    for (int j = RANDOM_TABLE_SIZE - 1; j >= 0; --j) {
        state = random_step(state);
        random_table[j] = state;
    }
    random_state = state;
    random_last = random_table[0];
}

int32_t random_next()
{
    random_state = random_step(random_state);
    const int j = (random_last >> SLOT_SHIFT) & (RANDOM_TABLE_SIZE - 1);
    random_last = random_table[j];
    random_table[j] = random_state;
    return random_last;
}

double random_uniform()
{
    return random_next() * 4.656612873077393e-10;
}

int32_t random_int(int32_t lo, int32_t hi)
{
    const double span = static_cast<double>(hi) - lo + 1.0;
    return static_cast<int32_t>(lo + static_cast<int64_t>(random_uniform() * span));
}
