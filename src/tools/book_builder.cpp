// Tallying positions for a built book. Weights are read only once every input is in, so that the
// scale of game counts is known; a position counts each game once even if the game passes it
// twice, and the initial position, which no move leads to, is always in the book.
#include "tools/book_builder.h"

#include <algorithm>
#include <cmath>

#include "frontend/book_editor.h"
#include "core/board.h"
#include "core/setup.h"

namespace {

std::array<uint32_t, 3> key_here()
{
    const Key96 k = current_book_key();
    return {k.w[0], k.w[1], k.w[2]};
}

uint32_t value_of(const PositionTally& t, const BuildOptions& options)
{
    return options.weights_from_results ? t.points : t.games;
}

bool enough_games(const PositionTally& t, const BuildOptions& options)
{
    return t.games > 0 && t.games >= static_cast<uint32_t>(options.min_games);
}

}  // namespace

GamePoints points_of_result(const std::string& result)
{
    if (result == "1-0") return {2, 0};
    if (result == "0-1") return {0, 2};
    if (result == "1/2-1/2") return {1, 1};
    return {0, 0};
}

void start_from_initial_position()
{
    init_echiquier(initial_board.data(), 1, 15, 0);
}

void tally_line_position(BookTally* tally, int w)
{
    PositionTally& t = tally->positions[key_here()];
    t.line_weight = std::max(t.line_weight, w);
}

void tally_begin_game(BookTally* tally)
{
    ++tally->game_serial;
}

void tally_game_position(BookTally* tally, GamePoints points)
{
    PositionTally& t = tally->positions[key_here()];
    if (t.last_game == tally->game_serial) return;
    t.last_game = tally->game_serial;
    ++t.games;
    // The side that moved into the position is the one not to move in it.
    t.points += trait == 1 ? points.black : points.white;
}

std::vector<BookRecord> tally_records(const BookTally& tally, const BuildOptions& options)
{
    start_from_initial_position();
    const std::array<uint32_t, 3> root = key_here();
    uint32_t largest = 0;
    for (const auto& [key, t] : tally.positions)
        if (enough_games(t, options)) largest = std::max(largest, value_of(t, options));
    const double scale = largest > EDITOR_MAX_ATTRAIT ? double(EDITOR_MAX_ATTRAIT) / largest : 1.0;

    std::vector<BookRecord> records;
    if (tally.positions.count(root) == 0) records.push_back({root[0], root[1], root[2], 0, 1});
    for (const auto& [key, t] : tally.positions) {
        int32_t w = t.line_weight;
        if (enough_games(t, options)) {
            const uint32_t v = value_of(t, options);
            const auto scaled = static_cast<int32_t>(std::lround(v * scale));
            w = std::max(w, v > 0 ? std::max(scaled, 1) : 0);
        }
        if (w < 0 && key != root) continue;
        records.push_back({key[0], key[1], key[2], 0, static_cast<uint16_t>(w < 0 ? 1 : w)});
    }
    std::sort(records.begin(), records.end(), [](const BookRecord& a, const BookRecord& b) {
        if (a.key0 != b.key0) return a.key0 < b.key0;
        if (a.key1 != b.key1) return a.key1 < b.key1;
        return a.key2 < b.key2;
    });
    return records;
}
