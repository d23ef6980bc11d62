// Tallying positions for a built book. Weights are read only once every input is in, so that the
// scale of game counts is known; a position counts each game once even if the game passes it
// twice, and the initial position, which no move leads to, is always in the book.
#include "tools/book_builder.h"

#include <algorithm>
#include <cmath>

#include "book/polyglot_keys.h"
#include "core/board.h"
#include "core/makemove.h"
#include "core/setup.h"
#include "frontend/book_editor.h"

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

// The tally of the move that led to the current position, or nullptr when moves are not
// tallied. The move's key is the Polyglot key of the position before it, so the move is taken
// back for that moment.
PositionTally* move_tally(BookTally* tally)
{
    if (!tally->collect_moves || ply == 0) return nullptr;
    const Move m = etats[ply - 1].coup;
    unmake_move(m);
    const PolyglotMoveKey key{polyglot_key(), polyglot_move_of(m)};
    make_move(m);
    return &tally->moves[key];
}

// Largest game value among the tallies that have enough games, and the factor that brings it
// down to limit (1 when it is already within).
template <typename Map>
double scale_for(const Map& tallies, const BuildOptions& options, uint32_t limit)
{
    uint32_t largest = 0;
    for (const auto& [key, t] : tallies)
        if (enough_games(t, options)) largest = std::max(largest, value_of(t, options));
    return largest > limit ? double(limit) / largest : 1.0;
}

// The weight of a tally: the largest of its line weight and its scaled game value (never 0 from
// a positive value); -1 when neither a line nor enough games reached it.
int32_t weight_of(const PositionTally& t, const BuildOptions& options, double scale)
{
    int32_t w = t.line_weight;
    if (enough_games(t, options)) {
        const uint32_t v = value_of(t, options);
        const auto scaled = static_cast<int32_t>(std::lround(v * scale));
        w = std::max(w, v > 0 ? std::max(scaled, 1) : 0);
    }
    return w;
}

void count_game(PositionTally& t, uint32_t serial, GamePoints points)
{
    if (t.last_game == serial) return;
    t.last_game = serial;
    ++t.games;
    // The side that moved into the position is the one not to move in it.
    t.points += trait == 1 ? points.black : points.white;
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
    if (PositionTally* mt = move_tally(tally)) mt->line_weight = std::max(mt->line_weight, w);
}

void tally_begin_game(BookTally* tally)
{
    ++tally->game_serial;
}

void tally_game_position(BookTally* tally, GamePoints points)
{
    count_game(tally->positions[key_here()], tally->game_serial, points);
    if (PositionTally* mt = move_tally(tally)) count_game(*mt, tally->game_serial, points);
}

std::vector<BookRecord> tally_records(const BookTally& tally, const BuildOptions& options)
{
    start_from_initial_position();
    const std::array<uint32_t, 3> root = key_here();
    const double scale = scale_for(tally.positions, options, EDITOR_MAX_ATTRAIT);

    std::vector<BookRecord> records;
    if (tally.positions.count(root) == 0) records.push_back({root[0], root[1], root[2], 0, 1});
    for (const auto& [key, t] : tally.positions) {
        const int32_t w = weight_of(t, options, scale);
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

std::vector<PolyglotEntry> tally_polyglot_entries(const BookTally& tally,
                                                  const BuildOptions& options)
{
    const double scale = scale_for(tally.moves, options, POLYGLOT_MAX_WEIGHT);
    std::vector<PolyglotEntry> entries;
    for (const auto& [key, t] : tally.moves) {
        const int32_t w = weight_of(t, options, scale);
        if (w < 0 || (w == 0 && t.line_weight < 0)) continue;
        const auto weight = static_cast<uint16_t>(std::min<uint32_t>(w, POLYGLOT_MAX_WEIGHT));
        entries.push_back({key.first, key.second, weight, 0});
    }
    return entries;
}
