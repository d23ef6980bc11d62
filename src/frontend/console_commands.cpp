// The console's command table and the EPD test file. A command reads its arguments from the
// rest of its line; a missing or malformed argument is a failed read and leaves the setting as
// it was. Only the command word is lower-cased: file names and book options are taken as typed.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "book/book.h"
#include "caches/caches.h"
#include "core/board.h"
#include "core/makemove.h"
#include "core/setup.h"
#include "frontend/think_lines.h"
#include "frontend/commands.h"
#include "frontend/console.h"
#include "frontend/display.h"
#include "frontend/gameend.h"
#include "frontend/perf.h"
#include "frontend/perft.h"
#include "frontend/settings.h"
#include "platform/platform.h"
#include "search/clock.h"
#include "search/root.h"

std::FILE* epd_file = nullptr;
int32_t epd_number = 0;
char epd_line[LINE_BUFFER_SIZE];

// ---- EPD test positions ---------------------------------------------------------------------

namespace {

// Past this many characters a line is not an EPD record: the file is given up rather than read
// on and on (a file of one endless line would otherwise never end the read).
constexpr long EPD_LINE_LIMIT = 65536;

// The next line of the EPD file into `epd_line`, its end of line removed; a longer line keeps
// its first 255 characters and the rest is dropped, so the next read starts on the next line.
bool read_epd_line()
{
    if (epd_file == nullptr) return false;
    const int got = read_bounded_line(epd_file, epd_line, LINE_BUFFER_SIZE, EPD_LINE_LIMIT);
    if (got < 0) {
        std::printf("Ligne trop longue (plus de %ld caracteres)\n", EPD_LINE_LIMIT);
        std::fclose(epd_file);
        epd_file = nullptr;
    }
    if (got <= 0) return false;
    size_t length = std::strlen(epd_line);
    while (length > 0 && epd_line[length - 1] == '\r') --length;
    epd_line[length] = '\0';
    return true;
}

}  // namespace

int epd_load(const char* name)
{
    if (epd_file != nullptr) std::fclose(epd_file);
    epd_file = nullptr;
    // A device or a pipe may never end (or never answer): only a regular file is read.
    std::error_code error;
    if (std::filesystem::exists(name, error) && !std::filesystem::is_regular_file(name, error)) {
        std::printf("%s n'est pas un fichier ordinaire\n", name);
        return -1;
    }
    epd_file = std::fopen(name, "r");
    if (epd_file == nullptr) return -1;
    if (!read_epd_line()) return -2;
    // A file saved with a byte-order mark: the mark is not part of the first record.
    if (std::strncmp(epd_line, "\xEF\xBB\xBF", 3) == 0)
        std::memmove(epd_line, epd_line + 3, std::strlen(epd_line + 3) + 1);
    epd_number = 1;
    std::printf("Position EPD no 1\n");
    return lit_fen(epd_line) < 0 ? -2 : 0;
}

int epd_next()
{
    if (!read_epd_line()) return -1;
    ++epd_number;
    std::printf("Position EPD no %d\n", epd_number);
    return lit_fen(epd_line) < 0 ? -1 : 0;
}

// ---- commands -------------------------------------------------------------------------------

namespace {

constexpr const char* TEST_POSITION =
    "b4rk1/2p3pp/6r1/PPPp4/1Q1Np2q/3pP1P1/5P1P/R4RK1 b - - bm Qh4h3;";
constexpr int32_t MAX_BOOK_CHECK_DEPTH = 9;

int32_t clamp_product(int32_t value, int64_t factor)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value * factor, INT32_MIN, INT32_MAX));
}

void take_back()
{
    engine_colours = ENGINE_NONE;
    take_back_game_move();
    affiche_echiquier();
}

void book_options()
{
    char option[LINE_BUFFER_SIZE];
    if (!console_word(option, sizeof option)) return;
    if (std::strcmp(option, "u") == 0) use_book = !use_book;
    if (std::strcmp(option, "s") == 0) show_book = !show_book;
}

void clear_tables()
{
    clear_caches();
    std::printf("Tables reinitialisees.\n");
}

void book_check()
{
    int32_t depth = 0;
    if (console_number(&depth) && depth >= 1 && depth <= MAX_BOOK_CHECK_DEPTH)
        console_book_check(depth);
}

void show_position()
{
    affiche_echiquier();
    write_position_line(echiquier, trait, pos()->roque, pos()->case_ep);
}

void set_depths()
{
    int32_t d = 0;
    SearchLimits& l = engine_limits;
    if (console_number(&d) && d > 0) l.min_depth = d;
    if (console_number(&d) && d > 0) l.max_depth = d;
    l.max_depth = std::min(l.max_depth, DEFAULT_MAX_DEPTH);
    l.min_depth = std::min(l.min_depth, l.max_depth);
    std::printf("profondeur_min = %d - profondeur_max = %d\n", l.min_depth, l.max_depth);
    if (l.min_depth == l.max_depth) {
        l.mode = TC_FIXED_DEPTH;
        clear_clocks();
    }
}

void load_epd_file()
{
    char name[LINE_BUFFER_SIZE];
    engine_colours = ENGINE_NONE;
    if (!console_word(name, sizeof name)) {
        affiche_echiquier();
        return;
    }
    const int loaded = epd_load(name);
    if (loaded == -1)
        std::printf("Impossible d'ouvrir %s\n", name);
    else if (loaded < 0)  // opened, but its first record gave no position
        std::printf("Impossible de charger une position\n");
    else
        affiche_echiquier();
}

void next_epd_position()
{
    engine_colours = ENGINE_NONE;
    if (epd_next() < 0)
        std::printf("Impossible de charger une position\n");
    else
        affiche_echiquier();
}

void flip_board()
{
    board_orientation = !board_orientation;
    affiche_echiquier();
}

void new_game()
{
    nouvelle_partie();
    engine_colours = ENGINE_NONE;
    affiche_echiquier();
}

void set_draw_value()
{
    int32_t x = 0;
    if (console_number(&x)) draw_value = bounded_draw_value(x);
    std::printf("partie nulle pour les blancs = %d\n", draw_value);
}

void run_perft()
{
    int32_t n = 0;
    if (console_number(&n) && n > 0) perft_driver(n);
}

void toggle_pondering()
{
    pondering = !pondering;
    std::printf(pondering ? "Pondering on\n" : "Pondering off\n");
}

void show_pv()
{
    std::printf(">> ");
    print_pv();
    std::printf("\n");
}

void set_time_per_move()
{
    int32_t t = 0;
    if (!console_number(&t) || t <= 0) return;
    clear_clocks();
    engine_limits.time_per_move_ms = clamp_product(t, 1000);
    engine_limits.mode = TC_TIME_PER_MOVE;
}

void set_tournament()
{
    int32_t minutes = 0, increment = 0, operator_seconds = 0;
    const bool read =
        console_number(&minutes) && console_number(&increment) && console_number(&operator_seconds);
    if (read && minutes > 0 && operator_seconds >= 0) {
        set_level_ms(&engine_limits, 0, int64_t{minutes} * 60000, int64_t{increment} * 1000);
        operator_time = clamp_product(operator_seconds, 1000);
        restart_move_clock();
    }
    print_tournament_clocks();
}

// Handlers answer false when the console must end.
struct ConsoleCommand {
    const char* name;
    bool (*perform)();
};

template <void (*F)()>
bool keep_going()
{
    F();
    return true;
}

bool quit()
{
    std::printf("Fermeture de Quarvelin\n");
    return false;
}

constexpr ConsoleCommand COMMANDS[] = {
    {"+",
     [] {
         engine_colours = engine_colour_bit(trait);
         return true;
     }},
    {"-", keep_going<take_back>},
    {"%", keep_going<print_search_statistics>},
    {"book", keep_going<book_options>},
    {"both",
     [] {
         engine_colours = ENGINE_BOTH;
         return true;
     }},
    {"clear", keep_going<clear_tables>},
    {"chkbk", keep_going<book_check>},
    {"d", keep_going<show_position>},
    {"depth", keep_going<set_depths>},
    {"edit_book", keep_going<console_book_editor>},
    {"epd_load", keep_going<load_epd_file>},
    {"epd_next", keep_going<next_epd_position>},
    {"flip", keep_going<flip_board>},
    {"help", keep_going<print_help>},
    {"h", keep_going<print_help>},
    {"m", keep_going<print_move_groups>},
    {"ml", keep_going<print_game_moves>},
    {"new", keep_going<new_game>},
    {"optimizebk", keep_going<console_book_optimiser>},
    {"pat", keep_going<set_draw_value>},
    {"perf", keep_going<run_perf_suite>},
    {"perft", keep_going<run_perft>},
    {"ponder", keep_going<toggle_pondering>},
    {"pv", keep_going<show_pv>},
    {"quit", quit},
    {"exit", quit},
    // A game that cannot be saved is reported and play goes on.
    {"sav",
     [] {
         write_pgn();
         return true;
     }},
    {"status", keep_going<display_status>},
    {"test",
     [] {
         lit_fen(TEST_POSITION);
         return true;
     }},
    {"time", keep_going<set_time_per_move>},
    {"tournament", keep_going<set_tournament>},
};

}  // namespace

int console_command(const char* word)
{
    for (const ConsoleCommand& c : COMMANDS)
        if (std::strcmp(word, c.name) == 0) return c.perform() ? 1 : -1;
    return 0;
}

// ---- help -----------------------------------------------------------------------------------

namespace {

// Left column, description; a null left column continues the description above.
constexpr const char* HELP_LINES[][2] = {
    {"g1f3 / e1g1 / a7b8Q", "effectue les coup Cg1f3 / O-O / a7xb8=D"},
    {"+", "donne le trait a Quarvelin"},
    {"-", "recule d'un demi-coup"},
    {"%", "statistiques sur le dernier search"},
    {"both", "Quarvelin joue pour les deux camps"},
    {"book s/u", "s - affiche (ou pas) les coups en bibliotheque"},
    {"", "u - utilise (ou pas) la bibliotheque"},
    {"chkbk N", "effectue un search de N demi-coups pour toutes les"},
    {nullptr, "positions en bibliotheque"},
    {"clear", "vide toutes les tables de hachage"},
    {"d", "affiche l'echiquier"},
    {"depth Dmin Dmax", "fixe la profondeur min et la profondeur max"},
    {"Echap", "stoppe les calculs de Quarvelin et attend une commande"},
    {"edit_book", "passe en mode edition de bibliotheque"},
    {"epd_load filename", "charge un fichier de positions au format epd"},
    {"epd_next", "charge la position suivante"},
    {"exit / quit", "quitte le programme"},
    {"flip", "retourne l'echiquier"},
    {"m", "affiche les coups legaux"},
    {"ml", "affiche l'historique des coups"},
    {"new", "nouvelle partie"},
    {"pat X", "valeur partie nulle pour les blancs (en 100e de pion)"},
    {"perf", "teste la vitesse de Quarvelin sur cet ordinateur"},
    {"perft N", "construit un arbre de profondeur N"},
    {"ponder", "reflexion permanente on/off"},
    {"pv", "affiche la principale variation"},
    {"time T", "Quarvelin a T secondes par coup"},
    {"tournament X Y Z", "passe en mode tournoi"},
    {nullptr, "X: temps initial, Y: increment, Z: temps operateur"},
    {"sav", "sauvegarde la liste des coups"},
    {"status", "etat des variables internes"},
};

}  // namespace

void print_help()
{
    print_rule();
    std::printf("%21sQuarvelin - par Ardoiseaux\n", "");
    print_rule();
    for (const auto& line : HELP_LINES) {
        if (line[0] == nullptr)
            std::printf("%22s%s\n", "", line[1]);
        else
            std::printf("%-20s: %s\n", line[0], line[1]);
    }
    print_rule();
}
