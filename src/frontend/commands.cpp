// The settings handler and the interrupting-command test, shared by the protocol loop and by the
// poll during a search. Prefix commands are tried in a fixed order ("status" before "sn"/"st");
// every number is read into 64 bits and clamped, so no command can overflow a setting.
#include "frontend/commands.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "book/book.h"
#include "core/board.h"
#include "core/material.h"
#include "eval/evaluation.h"
#include "eval/exchange.h"
#include "eval/kingsafety.h"
#include "eval/pawns.h"
#include "frontend/settings.h"
#include "search/clock.h"
#include "search/search.h"

const char* const time_control_names[6] = {
    "temps par partie", "temps pour n coups", "temps par partie + increment par coup",
    "temps par coup",   "profondeur fixe",    "nombre de noeuds fixe"};

namespace {

bool starts_with(const char* line, const char* word)
{
    return std::strncmp(line, word, std::strlen(word)) == 0;
}

int32_t clamp32(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// The number after a command word and one separator; false when there is none to read.
bool command_number(const char* line, const char* word, int64_t* value)
{
    const size_t n = std::strlen(word);
    if (line[n] == '\0') return false;
    const char* start = line + n + 1;
    char* end = nullptr;
    const long long v = std::strtoll(start, &end, 10);
    if (end == start) return false;
    *value = v;
    return true;
}

// The last "time" [0] and "otim" [1] in milliseconds, while not yet given to a search. The
// protocol's "time" is always the engine's clock, whatever colour it plays when it thinks.
int32_t reported_clock[2];
bool clock_reported[2];

// "level MOVES MINUTES[:SECONDS] INCREMENT"; the increment may have a decimal fraction.
void level_command(const char* line)
{
    if (std::strlen(line) < 6) return;
    const char* args = line + 6;
    int moves = 0, minutes = 0, seconds = 0;
    double increment = 0;
    if (std::strchr(args, ':') != nullptr) {
        if (std::sscanf(args, "%d %d:%d %lf", &moves, &minutes, &seconds, &increment) != 4) return;
    } else if (std::sscanf(args, "%d %d %lf", &moves, &minutes, &increment) != 3) {
        return;
    }
    if (!std::isfinite(increment)) return;
    const int64_t base_ms = (int64_t{minutes} * 60 + seconds) * 1000;
    const int64_t increment_ms = std::llround(std::clamp(increment, -1e6, 1e6) * 1000);
    set_level_ms(&engine_limits, moves, base_ms, increment_ms);
    clock_reported[0] = clock_reported[1] = false;  // a new control starts both clocks afresh
    const Pendule& p = pendule[WHITE];
    if (engine_limits.mode == TC_MOVES)
        std::printf(" Quarvelin pendule : %d s pour %d coups\n", p.base / 1000,
                    p.moves_per_control);
    else
        std::printf(" Quarvelin pendule : %d s (+%d s)\n", p.base / 1000, p.increment / 1000);
}

// "time" (engine) and "otim" (opponent): remaining time in centiseconds for one colour.
void clock_update(const char* line, const char* word, bool opponent)
{
    int64_t cs = 0;
    if (!command_number(line, word, &cs)) return;
    // Saturated before it is scaled: the product of a huge count would wrap round to a small one.
    const int32_t ms = clamp32(std::clamp<int64_t>(cs, INT64_MIN / 10, INT64_MAX / 10) * 10);
    reported_clock[opponent ? 1 : 0] = ms;
    clock_reported[opponent ? 1 : 0] = true;
    int side = 0;
    if (engine_colours == ENGINE_BLACK) side = -1;
    if (engine_colours == ENGINE_WHITE) side = 1;
    if (side == 0) return;
    if (opponent) side = -side;
    std::printf("Mise a jour temps %s : %d ms\n", side > 0 ? "Blancs" : "Noirs", ms);
    set_remaining(colour_index(side), ms);
}

}  // namespace

void apply_reported_clocks(int engine_side)
{
    for (int i = 0; i < 2; ++i) {
        const int side = i == 0 ? engine_side : -engine_side;
        if (clock_reported[i]) set_remaining(colour_index(side), reported_clock[i]);
        clock_reported[i] = false;
    }
}

int settings_command(const char* line)
{
    int64_t v = 0;
    if (starts_with(line, "level")) {
        level_command(line);
    } else if (starts_with(line, "pat")) {
        if (command_number(line, "pat", &v)) draw_value = bounded_draw_value(v);
    } else if (starts_with(line, "sd")) {
        if (command_number(line, "sd", &v)) {
            // A search needs one iteration at least, or it would have no move to answer; and no
            // iteration may go deeper than the search's heights allow, as in the console.
            engine_limits.min_depth = engine_limits.max_depth =
                std::clamp<int32_t>(clamp32(v), 1, DEFAULT_MAX_DEPTH);
            engine_limits.mode = TC_FIXED_DEPTH;
            clear_clocks();
        }
    } else if (std::strcmp(line, "status") == 0) {
        display_status();
    } else if (starts_with(line, "sn")) {
        if (command_number(line, "sn", &v)) {
            engine_limits.max_nodes = static_cast<uint32_t>(std::clamp<int64_t>(v, 0, UINT32_MAX));
            engine_limits.mode = TC_FIXED_NODES;
            clear_clocks();
        }
    } else if (starts_with(line, "st")) {
        if (command_number(line, "st", &v)) {
            engine_limits.time_per_move_ms =
                clamp32(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX) * 1000);
            engine_limits.mode = TC_TIME_PER_MOVE;
            clear_clocks();
        }
    } else if (starts_with(line, "time")) {
        clock_update(line, "time", false);
    } else if (starts_with(line, "opt")) {
        if (command_number(line, "opt", &v)) operator_time = clamp32(v);
    } else if (starts_with(line, "otim")) {
        clock_update(line, "otim", true);
    } else if (std::strcmp(line, "*") == 0) {
        print_evaluation_line();
    } else {
        return 0;
    }
    return 1;
}

int interrupting_command(const char* line)
{
    static const char* const stoppers[] = {"easy", "exit", "force",  "go",
                                           "new",  "quit", "remove", "undo"};
    for (const char* s : stoppers)
        if (std::strcmp(line, s) == 0) return 1;
    return 0;
}

void display_status()
{
    const char* rule = "----------------------------------\n";
    std::printf("%s", rule);
    std::printf("Niveau                  : %s\n", time_control_names[engine_limits.mode]);
    std::printf("Profondeur              : [ %d ; %d ]\n", engine_limits.min_depth,
                engine_limits.max_depth);
    std::printf("Montre la bibliotheque  : %s\n", show_book ? "oui" : "non");
    std::printf("Utilise la bibliotheque : %s\n", use_book ? "oui" : "non");
    std::printf("Nulle pour les blancs   : %d\n", draw_value);
    std::printf("Reflexion permanente    : %s\n", pondering ? "on" : "off");
    std::printf("Etat de la partie       : %s\n", result_texts[game_state]);
    std::printf("Temps operateur         : %d ms\n", operator_time);
    std::printf("%s", rule);
}

void print_evaluation_line()
{
    // Computed one by one, in this order. The lazy bounds read the pawn flags of this position,
    // which a special ending answers before publishing: they are published here first.
    const int raw = (pos()->materiel[WHITE] - pos()->materiel[BLACK]) * trait;
    const int balance = evalue_materiel();
    const int full = evaluation(-MAX_SCORE, MAX_SCORE);
    evaluation_pions();
    const int lower = lazy_bound(trait);
    const int upper = lazy_bound(-trait);
    const int see_white = fight(1), see_black = fight(-1);
    const int king_white = securite_roi(1), king_black = securite_roi(-1);
    std::printf("Eval {%d %d %d} [ %d ; %d ]  SEE ( B %d ; N %d )  SK ( B %d ; N %d )\n", raw,
                balance, full, lower, upper, see_white, see_black, king_white, king_black);
}
