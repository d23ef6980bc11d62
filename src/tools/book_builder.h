// The tally behind a built book: every position reached by an opening line or by the first
// plies of a game, keyed by its book key, with the largest line weight that reached it and the
// games (and points) that passed through it. The records come out sorted like the book table.
// For a Polyglot book the same counts are kept per position and move instead.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "book/book.h"
#include "book/polyglot_file.h"

struct BuildOptions {
    int plies = 16;                     // moves taken from the start of each game
    int min_games = 1;                  // games a position needs to enter from games alone
    bool weights_from_results = false;  // points of the side that moved, not game counts
};

struct PositionTally {
    int32_t line_weight = -1;  // largest weight of a line reaching it; -1 when none did
    uint32_t games = 0;        // games that reached it (each counted once)
    uint32_t points = 0;       // 2 per win and 1 per draw of the side that moved into it
    uint32_t last_game = 0;    // serial of the last game counted here
};

struct BookKeyHash {
    size_t operator()(const std::array<uint32_t, 3>& k) const
    {
        return (size_t{k[0]} << 32 | k[2]) ^ k[1];
    }
};

// A move of a Polyglot book: the position's Polyglot key and the move field.
using PolyglotMoveKey = std::pair<uint64_t, uint16_t>;
struct PolyglotMoveKeyHash {
    size_t operator()(const PolyglotMoveKey& k) const
    {
        return k.first ^ static_cast<size_t>(k.second) << 48;
    }
};

struct BookTally {
    std::unordered_map<std::array<uint32_t, 3>, PositionTally, BookKeyHash> positions;
    bool collect_moves = false;  // also tally the moves, for a Polyglot book
    std::unordered_map<PolyglotMoveKey, PositionTally, PolyglotMoveKeyHash> moves;
    uint32_t game_serial = 0;
    int lines = 0;
    int games = 0;
    int games_skipped = 0;
    int64_t book_entries = 0;  // records and entries merged from books
};

// Game results as points for White and for Black, in half points.
struct GamePoints {
    uint32_t white = 0;
    uint32_t black = 0;
};
GamePoints points_of_result(const std::string& result);

// Sets up the initial position for a new line or game.
void start_from_initial_position();
// Notes the current position as reached by a line of weight w.
void tally_line_position(BookTally* tally, int w);
// Starts counting a new game; then tally_game_position for each position it reaches.
void tally_begin_game(BookTally* tally);
void tally_game_position(BookTally* tally, GamePoints points);

// The book's records: the initial position, each position a line reached, and each position
// at least min_games games reached. Weight: the largest of the line weight and the games' value
// (game count or points), the latter scaled down when the largest value passes 1000 (never to
// 0 from a positive value); a position with neither keeps the weight 1 of a new record.
std::vector<BookRecord> tally_records(const BookTally& tally, const BuildOptions& options);
// The entries of a Polyglot book: each move a line played or at least min_games games played,
// weighed as above but scaled to fit 16 bits (POLYGLOT_MAX_WEIGHT). A move that only games
// played and that earned nothing (weight 0 from results) is left out, as it would never be
// played; a line's weight 0 is kept. Learn is 0; the writer sorts them.
constexpr uint32_t POLYGLOT_MAX_WEIGHT = 65535;
std::vector<PolyglotEntry> tally_polyglot_entries(const BookTally& tally,
                                                  const BuildOptions& options);
