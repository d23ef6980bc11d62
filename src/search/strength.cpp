// The random choice among the root lines. The generator is a xorshift of its own, seeded from
// the limits, so that a test can replay a choice and the search's other state is untouched.
#include "search/strength.h"

#include "search/multipv.h"

QV_THREAD_STATE int32_t skill_margin;

namespace {

QV_THREAD_STATE uint64_t skill_state = 1;

uint64_t next_random()
{
    skill_state ^= skill_state << 13;
    skill_state ^= skill_state >> 7;
    skill_state ^= skill_state << 17;
    return skill_state;
}

}  // namespace

void seed_skill(uint64_t seed)
{
    skill_state = seed != 0 ? seed : 1;
}

Move weaker_choice(Move best)
{
    if (skill_margin <= 0 || root_line_count < 2) return best;
    Move chosen = best;
    int64_t top = INT64_MIN;
    for (int i = 0; i < root_line_count; ++i) {
        const int64_t push = static_cast<int64_t>(next_random() % (uint64_t(skill_margin) + 1));
        const int64_t value = int64_t{root_lines[i].score} + push;
        if (value > top) {
            top = value;
            chosen = root_lines[i].move;
        }
    }
    return chosen;
}
