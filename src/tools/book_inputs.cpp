// Reading opening lists and game files into the tally. A game is checked whole before any of
// its positions is counted, so that a skipped game leaves no trace in the book.
#include "tools/book_inputs.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include "core/board.h"
#include "core/makemove.h"
#include "frontend/book_editor.h"
#include "movegen/notation.h"
#include "tools/pgn_reader.h"
#include "tools/san.h"

namespace {

// Longest line or game taken: each move needs a ply record, and two stay free for the tests.
constexpr int MAX_LINE_MOVES = MAX_PLY_RECORDS - 2;

std::string where(const std::string& file, int line)
{
    return file + ":" + std::to_string(line) + ": ";
}

bool is_weight(const std::string& t)
{
    for (char c : t)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return !t.empty();
}

// Four or five characters: from and to squares, then maybe a promotion letter.
bool looks_like_coordinates(const std::string& t)
{
    auto file = [](char c) { return (c >= 'a' && c <= 'h') || (c >= 'A' && c <= 'H'); };
    auto rank = [](char c) { return c >= '1' && c <= '8'; };
    if (t.size() != 4 && t.size() != 5) return false;
    if (!file(t[0]) || !rank(t[1]) || !file(t[2]) || !rank(t[3])) return false;
    return t.size() == 4 || std::string("qrbnQRBN").find(t[4]) != std::string::npos;
}

// One line of an opening list; "" when it is good (and tallied), else the message.
std::string add_list_line(const std::string& line, BookTally* tally)
{
    std::istringstream words(line.substr(0, line.find('#')));
    std::string token;
    if (!(words >> token)) return "";
    if (!is_weight(token) || token.size() > 4 || std::stoi(token) > EDITOR_MAX_ATTRAIT)
        return "'" + token + "': a weight from 0 to 1000 is expected" +
               (token[0] == '[' ? " (games in PGN need a file name ending in .pgn)" : "");
    const int weight = std::stoi(token);
    const std::string weight_token = token;
    start_from_initial_position();
    int moves = 0;
    for (; words >> token; ++moves) {
        if (moves == MAX_LINE_MOVES) return "'" + token + "': the line is too long";
        const Move m = looks_like_coordinates(token) ? text_to_move(token.c_str()) : 0;
        if (m == 0) return "'" + token + "': not a move in coordinates (such as e2e4)";
        if (is_legal_move(m) == 0) return "'" + token + "': illegal move in this position";
        make_move(m);
        tally_line_position(tally, weight);
    }
    if (moves == 0) return "'" + weight_token + "': no move follows the weight";
    ++tally->lines;
    return "";
}

const char* san_problem(SanResult r)
{
    switch (r) {
        case SanResult::UNREADABLE:
            return "unreadable move";
        case SanResult::ILLEGAL:
            return "illegal move";
        default:
            return "ambiguous move";
    }
}

// The moves of a game's first plies into *moves; false with the reason and its line when the
// game cannot be used.
bool game_moves(const PgnGame& game, std::vector<Move>* moves, std::string* why, int* line)
{
    *line = game.problem_line;
    *why = game.problem;
    if (!game.problem.empty()) return false;
    if (!game.fen.empty()) {
        *line = game.first_line;
        *why = "starts from a set-up position";
        return false;
    }
    start_from_initial_position();
    for (const PgnMove& pm : game.moves) {
        Move m = 0;
        const SanResult r = san_to_move(pm.text.c_str(), &m);
        if (r != SanResult::OK) {
            *line = pm.line;
            *why = "'" + pm.text + "': " + san_problem(r);
            return false;
        }
        make_move(m);
        moves->push_back(m);
    }
    return true;
}

// The next line of `in` into *line without its end (LF, CR LF or a lone CR); false at the end.
bool next_line(std::istream& in, std::string* line)
{
    line->clear();
    bool any = false;
    for (int c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
        any = true;
        if (c == '\n') return true;
        if (c == '\r') {
            if (in.peek() == '\n') in.get();
            return true;
        }
        line->push_back(static_cast<char>(c));
    }
    return any;
}

}  // namespace

bool add_opening_list(const std::string& file, std::istream& in, BookTally* tally,
                      std::string* error)
{
    int number = 0;
    for (std::string line; next_line(in, &line);) {
        // A byte-order mark some editors put first is no part of the first line.
        if (++number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        const std::string problem = add_list_line(line, tally);
        if (!problem.empty()) {
            *error = where(file, number) + problem;
            return false;
        }
    }
    return true;
}

void add_pgn_games(const std::string& file, std::istream& in, const BuildOptions& options,
                   BookTally* tally, const std::function<void(const std::string&)>& warn)
{
    const int plies = std::min(options.plies, MAX_LINE_MOVES);
    read_pgn(in, plies, [&](PgnGame& game) {
        std::vector<Move> moves;
        std::string why;
        int line = 0;
        if (!game_moves(game, &moves, &why, &line)) {
            warn(where(file, line) + pgn_game_name(game) + ": " + why + "; game skipped");
            ++tally->games_skipped;
            return;
        }
        ++tally->games;
        const GamePoints points = points_of_result(game.result);
        start_from_initial_position();
        tally_begin_game(tally);
        for (Move m : moves) {
            make_move(m);
            tally_game_position(tally, points);
        }
    });
}
