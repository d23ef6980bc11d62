// Game files in PGN: tag pairs, movetext with move numbers, comments ("{...}" and ";" to the end
// of the line), variations "(...)" at any depth, numeric annotation glyphs "$n", annotation
// marks and game results, several games to a file. Only the main line's moves are kept, up to a
// null move if there is one.
#pragma once

#include <functional>
#include <istream>
#include <string>
#include <vector>

struct PgnMove {
    std::string text;  // as written, marks included ("Nf3+", "e8=Q!")
    int line = 0;
};

struct PgnGame {
    int number = 0;      // 1 for the first game of the file
    int first_line = 0;  // where its first tag or move stands
    std::string white, black, event, fen;
    std::string result;          // "1-0", "0-1", "1/2-1/2", "*", or "" when none was given
    std::vector<PgnMove> moves;  // the first moves of the main line (at most the reader's limit)
    std::string problem;         // why the game cannot be read, or ""
    int problem_line = 0;
};

// Reads every game of `in` to its end, handing each to `on_game`; at most `max_moves` main-line
// moves are kept per game. A game whose text is malformed (an unterminated tag or comment, an
// unbalanced parenthesis) is handed over with its problem set. A game with tags and no moves
// ends where a blank line is followed by the next tag.
void read_pgn(std::istream& in, int max_moves, const std::function<void(PgnGame&)>& on_game);
// The same over a whole text.
void read_pgn(const std::string& text, int max_moves, const std::function<void(PgnGame&)>& on_game);

// A short name for messages: "game 3 (White - Black)".
std::string pgn_game_name(const PgnGame& game);
