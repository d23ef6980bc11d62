// Strength options turned into search limits. A weaker level searches less deep and draws its
// move among four lines with a wider random margin; it never draws beyond the margin, so it
// loses pawns and positions, not pieces left hanging at random.
#include "frontend/uci_strength.h"

#include <algorithm>

#include "search/clock.h"

namespace {

// Elo of the strength levels (skill in tenths) as measured against a reference engine's own
// strength setting at 60 s + 0.6 s per game, rounded: level 0 scored 1/8 against its 1350
// setting, level 10 3.5/8 against 1900, full strength 2/8 against 2300 (each about +/-120 to
// 190). Between two points the Elo is interpolated, and the range of UCI_Elo is theirs.
struct EloPoint {
    int32_t elo;
    int32_t skill;
};
constexpr EloPoint ELO_POINTS[] = {{1000, 0}, {1850, 100}, {2100, 200}};
constexpr int ELO_POINT_COUNT = sizeof ELO_POINTS / sizeof ELO_POINTS[0];

constexpr int32_t FULL_SKILL = 10 * MAX_SKILL_LEVEL;
constexpr int32_t WEAK_LINES = 4;
constexpr int32_t MARGIN_PER_TENTH = 1;  // centipawns of random margin per tenth below full

}  // namespace

const int32_t MIN_UCI_ELO = ELO_POINTS[0].elo;
const int32_t MAX_UCI_ELO = ELO_POINTS[ELO_POINT_COUNT - 1].elo;
const int32_t DEFAULT_UCI_ELO = MAX_UCI_ELO;

int32_t multipv_option = DEFAULT_MULTIPV;
bool limit_strength_option = false;
int32_t elo_option = DEFAULT_UCI_ELO;
int32_t skill_level_option = MAX_SKILL_LEVEL;

int32_t skill_for_elo(int32_t elo)
{
    if (elo <= ELO_POINTS[0].elo) return ELO_POINTS[0].skill;
    for (int i = 1; i < ELO_POINT_COUNT; ++i) {
        const EloPoint lo = ELO_POINTS[i - 1], hi = ELO_POINTS[i];
        if (elo <= hi.elo)
            return lo.skill + (elo - lo.elo) * (hi.skill - lo.skill) / (hi.elo - lo.elo);
    }
    return ELO_POINTS[ELO_POINT_COUNT - 1].skill;
}

void apply_strength(SearchLimits* limits)
{
    limits->multipv = std::clamp(multipv_option, 1, MAX_MULTIPV);
    const int32_t skill = limit_strength_option
                              ? skill_for_elo(elo_option)
                              : 10 * std::clamp(skill_level_option, 0, MAX_SKILL_LEVEL);
    if (skill >= FULL_SKILL) return;
    // Depth 1 at the weakest, 10 just below full strength.
    const int32_t depth = 1 + skill / 20;
    limits->max_depth = std::min(limits->max_depth, depth);
    limits->min_depth = std::min(limits->min_depth, limits->max_depth);
    limits->multipv = std::max(limits->multipv, WEAK_LINES);
    limits->skill_margin = (FULL_SKILL - skill) * MARGIN_PER_TENTH;
    limits->skill_seed = static_cast<uint64_t>(clock_now()) * 0x9e3779b97f4a7c15ull;
}
