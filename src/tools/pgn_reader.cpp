// The PGN reader: one pass over the text with the line counted, a game handed over when its
// result is read or when the tags of the next game begin. Comments are skipped wherever they
// stand, so a parenthesis or a bracket inside one never changes the structure.
#include "tools/pgn_reader.h"

#include <cctype>
#include <cstring>

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

struct PgnParser {
    const std::string& s;
    const int max_moves;
    const std::function<void(PgnGame&)>& on_game;
    size_t i = 0;
    int line = 1;
    int count = 0;
    int depth = 0;  // variation depth
    bool in_game = false;
    bool movetext = false;
    PgnGame game;

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
        in_game = movetext = false;
        depth = 0;
    }

    void skip_to_line_end()
    {
        while (i < s.size() && s[i] != '\n') ++i;
    }

    void skip_comment()
    {
        const int start = line;
        for (++i; i < s.size() && s[i] != '}'; ++i)
            if (s[i] == '\n') ++line;
        if (i >= s.size()) {
            begin();
            problem("comment not closed", start);
        }
        ++i;
    }

    // [Name "value"]; a malformed tag is a problem of its game and the rest of its line is
    // dropped.
    void read_tag()
    {
        if (movetext) finish();
        begin();
        const int at = line;
        size_t j = i + 1;
        while (j < s.size() && (s[j] == ' ' || s[j] == '\t')) ++j;
        const size_t name_start = j;
        while (j < s.size() && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_')) ++j;
        const std::string name = s.substr(name_start, j - name_start);
        while (j < s.size() && (s[j] == ' ' || s[j] == '\t')) ++j;
        std::string value;
        bool ok = !name.empty() && j < s.size() && s[j] == '"';
        for (++j; ok; ++j) {
            if (j >= s.size() || s[j] == '\n')
                ok = false;
            else if (s[j] == '"')
                break;
            else if (s[j] == '\\' && j + 1 < s.size() && s[j + 1] != '\n')
                value += s[++j];
            else
                value += s[j];
        }
        if (ok) {
            for (++j; j < s.size() && (s[j] == ' ' || s[j] == '\t'); ++j) {
            }
            ok = j < s.size() && s[j] == ']';
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
        while (i < s.size() && !ends_token(s[i])) ++i;
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
        if (t == "--" || t == "Z0" || t == "0000") {
            problem("null move", line);
            return;
        }
        if (static_cast<int>(game.moves.size()) < max_moves) game.moves.push_back({t, line});
    }

    void run()
    {
        while (i < s.size()) {
            const char c = s[i];
            if (c == '\n') {
                ++line;
                ++i;
            } else if (is_blank(c)) {
                ++i;
            } else if (c == '%' && (i == 0 || s[i - 1] == '\n')) {
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
                for (++i; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
                }
            } else {
                read_symbol();
            }
        }
        finish();
    }
};

}  // namespace

void read_pgn(const std::string& text, int max_moves, const std::function<void(PgnGame&)>& on_game)
{
    PgnParser parser{text, max_moves, on_game, 0, 1, 0, 0, false, false, PgnGame{}};
    parser.run();
}

std::string pgn_game_name(const PgnGame& game)
{
    std::string name = "game " + std::to_string(game.number);
    if (!game.white.empty() || !game.black.empty())
        name += " (" + (game.white.empty() ? "?" : game.white) + " - " +
                (game.black.empty() ? "?" : game.black) + ")";
    return name;
}
