// The console loop and its line reader. Between two prompts the loop shows the evaluation and
// the clocks, lets the engine move or ponder, then performs one typed word; every move it makes
// is legal and within the ply records, and every search leaves the game position as it found it.
#include "frontend/console.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "book/book.h"
#include "core/board.h"
#include "core/makemove.h"
#include "frontend/commands.h"
#include "frontend/display.h"
#include "frontend/gameend.h"
#include "frontend/xboard.h"
#include "movegen/notation.h"
#include "platform/platform.h"
#include "search/clock.h"

char console_line[LINE_BUFFER_SIZE];
int32_t console_cursor = 0;

// ---- the line reader ------------------------------------------------------------------------

namespace {

bool is_space(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

void skip_spaces()
{
    while (console_line[console_cursor] != '\0' && is_space(console_line[console_cursor]))
        ++console_cursor;
}

}  // namespace

bool console_read_line()
{
    std::fflush(stdout);
    console_cursor = 0;
    return read_text_line(stdin, console_line, LINE_BUFFER_SIZE);
}

void console_set_line(const char* text)
{
    std::snprintf(console_line, sizeof console_line, "%s", text);
    console_cursor = 0;
}

bool console_word(char* out, int size)
{
    skip_spaces();
    int length = 0;
    while (console_line[console_cursor] != '\0' && !is_space(console_line[console_cursor])) {
        if (length < size - 1) out[length++] = console_line[console_cursor];
        ++console_cursor;
    }
    out[length] = '\0';
    return length > 0;
}

bool console_number(int32_t* value)
{
    skip_spaces();
    const char* start = console_line + console_cursor;
    const char* digits = start + (*start == '-' || *start == '+' ? 1 : 0);
    if (*digits < '0' || *digits > '9') return false;
    // Digits are taken while they fit; a longer number still reads as the nearest 32-bit value.
    int64_t v = 0;
    const char* p = digits;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (v <= INT64_C(1) << 40) v = v * 10 + (*p - '0');
    if (*start == '-') v = -v;
    *value = static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
    console_cursor = static_cast<int32_t>(p - console_line);
    return true;
}

bool read_command_word()
{
    if (pending_input > 0) {
        // The keys typed while the engine pondered are the line.
        line_buffer[pending_input < LINE_BUFFER_SIZE ? pending_input : LINE_BUFFER_SIZE - 1] = 0;
        pending_input = 0;
        std::printf("%s\n", line_buffer);
        console_set_line(line_buffer);
        if (console_word(line_buffer, LINE_BUFFER_SIZE)) return true;
    }
    // Blank lines are passed over, as a word reader passes over any whitespace.
    for (;;) {
        if (!console_read_line()) return false;
        if (console_word(line_buffer, LINE_BUFFER_SIZE)) return true;
    }
}

void lower_case(char* word)
{
    for (; *word != '\0'; ++word)
        if (*word >= 'A' && *word <= 'Z') *word = static_cast<char>(*word - 'A' + 'a');
}

// ---- displays of the loop -------------------------------------------------------------------

namespace {

void print_hms(int32_t ms)
{
    const int32_t s = ms / 1000;
    std::printf("%2d:%2d:%2d", s / 3600, s / 60 % 60, s % 60);
}

}  // namespace

void print_clock_line()
{
    std::printf("Blancs: ");
    print_hms(pendule[WHITE].remaining);
    if (pendule[WHITE].increment != 0) std::printf(" (+%d)", pendule[WHITE].increment / 1000);
    std::printf(" / Noirs: ");
    print_hms(pendule[BLACK].remaining);
    if (pendule[BLACK].increment != 0) std::printf(" (+%d)", pendule[BLACK].increment / 1000);
    std::printf("\n");
}

void print_tournament_clocks()
{
    std::printf("Blancs: ");
    print_hms(pendule[WHITE].remaining);
    std::printf(" (+%d s)\n", pendule[WHITE].increment / 1000);
    std::printf("Noirs:  ");
    print_hms(pendule[BLACK].remaining);
    std::printf(" (+%d s)\n", pendule[BLACK].increment / 1000);
    std::printf("Time Operator = %ds\n", operator_time / 1000);
}

// ---- the loop -------------------------------------------------------------------------------

namespace {

// The engine's move for the side to move (own), or its reply after pondering; 0 when it has none.
Move engine_search(bool own)
{
    search_keys_begin();
    const Move m = own ? think() : ponder();
    search_keys_end();
    return m;
}

// The engine's turn: true when it made a move (the loop then starts again without a prompt).
// A game result is recorded, never printed. A game at its last playable ply is left unfinished
// so that no search can run past the ply records.
bool engine_turn()
{
    if (game_state == GAME_IN_PROGRESS) {
        game_state = game_end_test();
        if (game_state == GAME_IN_PROGRESS && ply >= MAX_GAME_PLY) game_state = GAME_UNKNOWN;
    }
    if (game_state != GAME_IN_PROGRESS || engine_colours == ENGINE_NONE) return false;
    // Only a key on a terminal can end a ponder search here: read from a pipe or a file, the
    // console would ponder to the maximum depth before it read the next line, so it does not.
    const bool own = (engine_colour_bit(trait) & engine_colours) != 0;
    if (!own && (!pondering || !stdin_is_terminal())) return false;
    const Move m = engine_search(own);
    if (m == 0) return false;
    char text[16];
    std::snprintf(text, sizeof text, "%s", move_to_text(m, false));
    make_move(m);
    affiche_echiquier();
    if (trait < 0)
        std::printf("%d. %s\n", ply / 2 + 1, text);
    else
        std::printf("%d. ... %s\n", ply / 2, text);
    restart_move_clock();
    return true;
}

// A word the move parser reads as a move: played when legal (the user's clock is charged with
// the time since the last move), refused otherwise. False when the word is no move at all.
bool user_move(const char* word)
{
    const Move m = text_to_move(word);
    if (m == 0) return false;
    if (ply < MAX_GAME_PLY && is_legal_move(m)) {
        charge_clock(trait, clock_now() - clock_start);
        make_move(m);
        affiche_echiquier();
        restart_move_clock();
    } else {
        std::printf("Coup \"%s\" impossible\n", word);
    }
    return true;
}

}  // namespace

int console_loop()
{
    engine_colours = ENGINE_NONE;
    // The user's first move is timed from here: the clock's origin is not the session's start.
    restart_move_clock();
    affiche_echiquier();
    for (;;) {
        print_evaluation_line();
        print_clock_line();
        if (engine_turn()) continue;
        if (show_book) list_book_successors();
        std::printf("[%s] /> ", trait > 0 ? "Blancs" : "Noirs");
        if (!read_command_word()) {
            // The end of the input ends the session as "quit" does.
            std::printf("Fermeture de Quarvelin\n");
            return 0;
        }
        lower_case(line_buffer);
        if (user_move(line_buffer)) continue;
        const int done = console_command(line_buffer);
        if (done < 0) return 0;
        if (done == 0) std::printf("\"%s\"\n", line_buffer);
    }
}
