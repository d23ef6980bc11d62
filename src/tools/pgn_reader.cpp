// The PGN reader: one pass over the input with the line counted, a game handed over when its
// result is read or when the tags of the next game begin. Comments are skipped wherever they
// stand, so a parenthesis or a bracket inside one never changes the structure. The input is
// read in chunks and only the part from the current symbol on is kept, so memory stays small
// whatever the file's size. A line ends at LF, CR LF or a lone CR.
#include "tools/pgn_reader.h"

#include <cctype>
#include <cstring>
#include <sstream>

namespace {

bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// A NUL byte is not one of the listed characters (strchr would find the terminator): it stays
// inside its symbol, so every symbol read takes at least one byte.
bool ends_token(char c)
{
    return is_blank(c) || (c != '\0' && std::strchr("{}()[];$\"", c) != nullptr);
}

bool is_result(const std::string& t)
{
    return t == "1-0" || t == "0-1" || t == "1/2-1/2" || t == "*";
}

constexpr size_t CHUNK = 65536;

struct PgnParser {
    std::istream& in;
    const int max_moves;
    const std::function<void(PgnGame&)>& on_game;
    std::string s;  // the input from the current symbol on, as far as it has been read
    size_t i = 0;
    int line = 1;
    int count = 0;
    int depth = 0;  // variation depth
    bool in_game = false;
    bool movetext = false;
    bool line_start = true;    // nothing read yet on this line
    bool line_blank = true;    // only blanks read yet on this line
    bool tags_ended = false;   // a blank line followed the game's tags: a tag starts the next game
    bool moves_ended = false;  // a null move was read: the game's later moves are not kept
    PgnGame game;

    PgnParser(std::istream& input, int max, const std::function<void(PgnGame&)>& handler)
        : in(input), max_moves(max), on_game(handler)
    {
    }

    // True when byte j of the window exists, reading more input as needed.
    bool has(size_t j)
    {
        while (j >= s.size()) {
            const size_t old = s.size();
            s.resize(old + CHUNK);
            in.read(&s[old], CHUNK);
            s.resize(old + static_cast<size_t>(in.gcount()));
            if (s.size() == old) return false;
        }
        return true;
    }

    // Drops what lies before the current byte once enough of it has gathered; only called where
    // no earlier byte is needed any more.
    void compact()
    {
        if (i < CHUNK) return;
        s.erase(0, i);
        i = 0;
    }

    bool line_end_at(size_t j) { return has(j) && (s[j] == '\n' || s[j] == '\r'); }

    // Steps over the line end at i (CR LF counts once).
    void pass_line_end()
    {
        const bool cr = s[i] == '\r';
        ++i;
        if (cr && has(i) && s[i] == '\n') ++i;
        ++line;
    }

    void problem(const char* what, int at)
    {
        if (game.problem.empty()) {
            game.problem = what;
            game.problem_line = at;
        }
    }

    void begin()
    {
        if (in_game) return;
        in_game = true;
        game.number = ++count;
        game.first_line = line;
    }

    void finish()
    {
        if (!in_game) return;
        if (depth > 0) problem("variation not closed", line);
        on_game(game);
        game = PgnGame{};
        in_game = movetext = tags_ended = moves_ended = false;
        depth = 0;
    }

    void skip_to_line_end()
    {
        for (; has(i) && s[i] != '\n' && s[i] != '\r'; ++i) compact();
    }

    void skip_comment()
    {
        const int start = line;
        ++i;
        while (has(i) && s[i] != '}') {
            if (s[i] == '\n' || s[i] == '\r')
                pass_line_end();
            else
                ++i;
            compact();
        }
        if (!has(i)) {
            begin();
            problem("comment not closed", start);
        }
        ++i;
    }

    // [Name "value"]; a malformed tag is a problem of its game and the rest of its line is
    // dropped.
    void read_tag()
    {
        // A game with no moves ends where the next game's tag section begins.
        if (movetext || tags_ended) finish();
        begin();
        const int at = line;
        size_t j = i + 1;
        while (has(j) && (s[j] == ' ' || s[j] == '\t')) ++j;
        const size_t name_start = j;
        while (has(j) && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_')) ++j;
        const std::string name = s.substr(name_start, j - name_start);
        while (has(j) && (s[j] == ' ' || s[j] == '\t')) ++j;
        std::string value;
        bool ok = !name.empty() && has(j) && s[j] == '"';
        for (++j; ok; ++j) {
            if (!has(j) || line_end_at(j))
                ok = false;
            else if (s[j] == '"')
                break;
            else if (s[j] == '\\' && has(j + 1) && !line_end_at(j + 1))
                value += s[++j];
            else
                value += s[j];
        }
        if (ok) {
            for (++j; has(j) && (s[j] == ' ' || s[j] == '\t'); ++j) {
            }
            ok = has(j) && s[j] == ']';
        }
        if (!ok) {
            problem("malformed tag", at);
            skip_to_line_end();
            return;
        }
        i = j + 1;
        if (name == "White")
            game.white = value;
        else if (name == "Black")
            game.black = value;
        else if (name == "Event")
            game.event = value;
        else if (name == "FEN")
            game.fen = value;
        else if (name == "Result" && game.result.empty())
            game.result = value;
    }

    // A symbol of the movetext: a move (with or without its number), a number, a result or an
    // annotation mark.
    void read_symbol()
    {
        const size_t start = i;
        while (has(i) && !ends_token(s[i])) ++i;
        std::string t = s.substr(start, i - start);
        begin();
        if (is_result(t)) {
            game.result = t;
            finish();
            return;
        }
        size_t k = 0;
        while (k < t.size() && std::isdigit(static_cast<unsigned char>(t[k]))) ++k;
        if (k > 0 && (k == t.size() || t[k] == '.')) {
            while (k < t.size() && t[k] == '.') ++k;
            t.erase(0, k);  // a move number, maybe with its move glued on ("12.Nf3")
        }
        if (t.empty() || t.find_first_not_of("!?.") == std::string::npos) return;
        movetext = true;
        // A null move has no position to follow it in a book: the game's moves end before it.
        if (t == "--" || t == "Z0" || t == "0000") moves_ended = true;
        if (!moves_ended && static_cast<int>(game.moves.size()) < max_moves)
            game.moves.push_back({t, line});
    }

    void run()
    {
        // A byte-order mark some editors put first is no part of the text.
        if (has(2) && s.compare(0, 3, "\xEF\xBB\xBF") == 0) i = 3;
        for (compact(); has(i); compact()) {
            const char c = s[i];
            if (c == '\n' || c == '\r') {
                if (line_blank && in_game && !movetext) tags_ended = true;
                pass_line_end();
                line_start = line_blank = true;
                continue;
            }
            const bool first = line_start;
            line_start = false;
            if (is_blank(c)) {
                ++i;
                continue;
            }
            line_blank = false;
            if (c == '%' && first) {
                skip_to_line_end();
            } else if (c == ';') {
                skip_to_line_end();
            } else if (c == '{') {
                skip_comment();
            } else if (depth > 0) {
                depth += c == '(' ? 1 : c == ')' ? -1 : 0;
                ++i;
            } else if (c == '(') {
                begin();
                depth = 1;
                ++i;
            } else if (c == ')' || c == ']' || c == '}' || c == '"') {
                begin();
                problem(c == ')' ? "')' without '('" : "stray character", line);
                ++i;
            } else if (c == '[') {
                read_tag();
            } else if (c == '$') {
                for (++i; has(i) && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
                }
            } else {
                read_symbol();
            }
        }
        finish();
    }
};

}  // namespace

void read_pgn(std::istream& in, int max_moves, const std::function<void(PgnGame&)>& on_game)
{
    PgnParser parser(in, max_moves, on_game);
    parser.run();
}

void read_pgn(const std::string& text, int max_moves, const std::function<void(PgnGame&)>& on_game)
{
    std::istringstream in(text);
    read_pgn(in, max_moves, on_game);
}

std::string pgn_game_name(const PgnGame& game)
{
    std::string name = "game " + std::to_string(game.number);
    if (!game.white.empty() || !game.black.empty())
        name += " (" + (game.white.empty() ? "?" : game.white) + " - " +
                (game.black.empty() ? "?" : game.black) + ")";
    return name;
}
