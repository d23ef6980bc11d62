// The xboard protocol loop, its line reader, think and ponder. The loop owns the game between
// searches: every move it plays is legal and made on the game position, every search leaves that
// position as it found it, and a line the poll kept pending is performed before anything else.
#include "frontend/xboard.h"

#include <cstdio>
#include <cstring>

#include "core/board.h"
#include "core/makemove.h"
#include "core/setup.h"
#include "core/tables.h"
#include "eval/evaluation.h"
#include "frontend/commands.h"
#include "frontend/gameend.h"
#include "frontend/settings.h"
#include "frontend/startup.h"
#include "frontend/threads_setting.h"
#include "movegen/notation.h"
#include "platform/platform.h"
#include "search/clock.h"
#include "search/hash.h"
#include "search/root.h"

namespace {

constexpr int RESIGN_SCORE = -800;
constexpr int RESIGN_RUN_PLIES = 6;  // the fourth bad score of one colour resigns

// The engine last thinks at MAX_GAME_PLY - 1: a ponder move and a search of every height above
// it stay within the records, and no game ply comes near the "no run" marker.
static_assert(MAX_GAME_PLY - 1 + 1 + SEARCH_HEIGHTS <= MAX_PLY_RECORDS - 1);
static_assert(MAX_GAME_PLY + RESIGN_RUN_PLIES < NO_RESIGN_PLY);

}  // namespace

namespace {

// The next command line into the line buffer, echoed; false at the end of the input.
bool read_command_line()
{
    const bool was_pending = pending_input > 0 || line_complete;
    // A line the poll began but could not finish is completed here, not cut short.
    gather_input_line(true);
    if (!line_complete) return false;
    std::printf(was_pending ? " Quarvelin << \"%s\"\n" : " Quarvelin  < \"%s\"\n", line_buffer);
    pending_input = 0;
    line_complete = 0;
    return true;
}

// The loop's own commands, matched on the whole line; 0 when the line is none of them.
int loop_command(const char* line)
{
    if (std::strcmp(line, "go") == 0) {
        engine_colours = engine_colour_bit(trait);
    } else if (std::strcmp(line, "analyze") == 0) {
        engine_limits.analysis = true;
    } else if (std::strcmp(line, "exit") == 0) {
        engine_limits.analysis = false;
    } else if (std::strcmp(line, "hard") == 0) {
        pondering = 1;
    } else if (std::strcmp(line, "easy") == 0) {
        pondering = 0;
    } else if (std::strcmp(line, "force") == 0) {
        engine_colours = ENGINE_NONE;
    } else if (std::strcmp(line, "undo") == 0) {
        engine_colours = ENGINE_NONE;
        take_back_game_move();
    } else if (std::strcmp(line, "remove") == 0) {
        take_back_game_move();
        take_back_game_move();
    } else if (std::strcmp(line, "new") == 0) {
        nouvelle_partie();
        engine_colours = ENGINE_BLACK;
    } else {
        return 0;
    }
    return 1;
}

void perform_line(const char* line)
{
    const Move m = text_to_move(line);
    if (m != 0) {
        if (game_state == GAME_IN_PROGRESS && is_legal_move(m))
            make_move(m);
        else
            std::printf("Illegal move: %s\n", line);
        return;
    }
    if (loop_command(line)) return;
    if (std::strncmp(line, "cores ", 6) == 0) {
        note_cores_command(line + 6);
        apply_pending_cores();
        return;
    }
    if (std::strncmp(line, "setboard", 8) == 0) {
        // The record starts after the word and one separator; a bare word gives an empty one.
        lit_fen(line[8] == '\0' ? "" : line + 9);
        std::printf("Evaluation() = %d\n", evaluation(-MAX_SCORE, MAX_SCORE));
        return;
    }
    if (!settings_command(line)) std::printf(" Quarvelin <?> \"%s\"\n", line);
}

// Plays the engine's move, or resigns instead at the fourth bad score in a row of its colour.
// Returns true when the move was played.
bool play_or_resign(Move m)
{
    const int c = colour_index(trait);
    if (last_score < RESIGN_SCORE) {
        if (resign_ply[c] == NO_RESIGN_PLY) resign_ply[c] = ply;
    } else {
        resign_ply[c] = NO_RESIGN_PLY;
    }
    if (ply < resign_ply[c] + RESIGN_RUN_PLIES) {
        std::printf("move ");
        print_coordinate_move(m);
        std::printf("\n");
        make_move(m);
        return true;
    }
    game_state = c + GAME_BLACK_RESIGNS;
    std::printf("%s\n", result_texts[game_state]);
    return false;
}

// The engine's turn: the game-end test, then analysis, think or ponder while the engine is to
// act, until it has nothing more to do before the next command line.
void engine_turn()
{
    while (game_state == GAME_IN_PROGRESS) {
        game_state = game_end_test();
        if (game_state == GAME_IN_PROGRESS && ply >= MAX_GAME_PLY) game_state = GAME_UNKNOWN;
        if (game_state != GAME_IN_PROGRESS) {
            std::printf("%s\n", result_texts[game_state]);
            return;
        }
        // What the interface sent during the last search comes first: a search started now
        // could neither see it nor be stopped by it.
        if (line_complete) return;
        apply_pending_cores();  // a count that came during the last search
        if (engine_limits.analysis) {
            Reflexion(engine_limits);
            return;
        }
        const uint32_t mine = engine_colour_bit(trait) & engine_colours;
        if (engine_colours == ENGINE_NONE || (mine == 0 && !pondering)) return;
        const Move m = mine != 0 ? think() : ponder();
        if (m == 0 || !play_or_resign(m)) return;
    }
}

}  // namespace

int xboard_loop()
{
    for (;;) {
        engine_turn();
        if (!read_command_line()) return 0;
        if (std::strcmp(line_buffer, "quit") == 0) return 0;
        perform_line(line_buffer);
    }
}

// ---- the engine's moves ---------------------------------------------------------------------

Move think()
{
    apply_reported_clocks(trait);
    allocate_time(engine_limits, trait, ply);
    const Move m = Reflexion(engine_limits);
    charge_clock(trait, clock_now() - clock_start + operator_time);
    return m;
}

Move ponder()
{
    const Move predicted = hash_best_move();
    if (predicted == 0 || !is_legal_move(predicted)) return 0;
    if (text_mode())
        std::printf("Je prevois le coup : %s", move_to_text(predicted, false));
    else {
        std::printf("Hint: ");
        print_coordinate_move(predicted);
    }
    std::printf("\n");
    make_move(predicted);
    // A prediction that ends the game leaves nothing to think about: the loop will find the
    // result once the opponent has really played it.
    if (game_end_test() != GAME_IN_PROGRESS) {
        unmake_move(predicted);
        return 0;
    }
    // The line buffer is left alone: a line begun during the last search goes on being read.
    SearchLimits limits = engine_limits;
    limits.ponder = true;
    limits.predicted_move = predicted;
    apply_reported_clocks(trait);
    const Move reply = Reflexion(limits);
    if (ponder_hit) {
        // Reports read during the search went straight to these colours: none is left over.
        apply_reported_clocks(trait);
        charge_clock(trait, clock_now() - clock_start + operator_time);
        return reply;
    }
    unmake_move(predicted);
    return 0;
}

void coordinate_text(Move m, char* out)
{
    std::memcpy(out, square_name(move_from(m)), 2);
    std::memcpy(out + 2, square_name(move_to(m)), 2);
    int n = 4;
    if (move_promotion(m) != NO_TYPE) out[n++] = type_letters[move_promotion(m)];
    out[n] = '\0';
}

void print_coordinate_move(Move m)
{
    char text[6];
    coordinate_text(m, text);
    std::printf("%s", text);
}
