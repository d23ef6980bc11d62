// The xboard input: command lines assembled byte by byte (by the loop, and by the poll while the
// engine thinks), and what a line read during a search means for it. Nothing is read onto a
// complete pending line, and the poll never blocks: it reads only what is already waiting.
#include <cstdio>
#include <cstring>

#include "frontend/commands.h"
#include "frontend/line_input.h"
#include "frontend/settings.h"
#include "frontend/threads_setting.h"
#include "frontend/xboard.h"
#include "movegen/notation.h"
#include "platform/platform.h"
#include "search/clock.h"
#include "search/root.h"
#include "search/think_info.h"
#include "search/search.h"

int32_t line_complete = 0;
int32_t input_ended = 0;
int32_t stdin_is_pipe = 1;

namespace {

int32_t discarding = 0;  // the pending line overflowed: drop bytes up to its newline

}  // namespace

void input_init()
{
    stdin_is_pipe = stdin_is_terminal() ? 0 : 1;
}

int input_available()
{
    return input_waiting() ? 1 : 0;
}

// ---- command lines --------------------------------------------------------------------------

// The protocol's line is the line buffer with its `pending input` count: the generic reader
// works on a view of them.
int gather_input_line(bool wait)
{
    LineReader r{line_buffer, LINE_BUFFER_SIZE, pending_input, line_complete != 0,
                 input_ended != 0, discarding != 0};
    const int bytes = gather_line(r, wait);
    pending_input = r.length;
    line_complete = r.complete ? 1 : 0;
    input_ended = r.ended ? 1 : 0;
    discarding = r.discarding ? 1 : 0;
    return bytes;
}

void take_pending_line()
{
    pending_input = 0;
    line_complete = 0;
    line_buffer[0] = '\0';
}

// ---- a line read during a search ------------------------------------------------------------

bool same_move(Move a, Move b)
{
    return move_from(a) == move_from(b) && move_to(a) == move_to(b) &&
           move_promotion(a) == move_promotion(b);
}

namespace {

// The interface played the predicted move: said, and the line is consumed.
InputVerdict ponder_hit_line()
{
    std::printf(" Quarvelin ---( good predicted move: %s )---\n",
                move_to_text(predicted_move, false));
    take_pending_line();
    return InputVerdict::PONDER_HIT;
}

// A line that is not a move, read while pondering or analysing.
InputVerdict command_during_search()
{
    // The thread count cannot change under a running search: it waits for the next one.
    if (std::strncmp(line_buffer, "cores ", 6) == 0) note_cores_command(line_buffer + 6);
    if (settings_command(line_buffer)) {
        take_pending_line();
        return InputVerdict::GO_ON;
    }
    if (interrupting_command(line_buffer)) return InputVerdict::STOP;  // pending for the loop
    take_pending_line();
    return InputVerdict::GO_ON;
}

void print_analysis_status()
{
    char move[8] = "";
    if (root_index < root_count) coordinate_text(root_list[root_index].move, move);
    std::printf("stat01: %d %llu %d %d %d %s\n",
                static_cast<int>((clock_now() - search_start) / 10),
                static_cast<unsigned long long>(node_total()), iteration_depth,
                root_count - root_index - 1, root_count, move);
}

// A complete line read during the search. A move ends an analysis, and a ponder search unless
// it is the predicted one; during the engine's own search only "?" stops it, and anything else
// waits for the loop once the move is played.
InputVerdict line_during_search()
{
    const Move m = text_to_move(line_buffer);
    if (analyse_mode) {
        if (m != 0) return InputVerdict::STOP;
        if (line_buffer[0] != '.') return command_during_search();
        print_analysis_status();
        take_pending_line();
        return InputVerdict::GO_ON;
    }
    if (ponder_search) {
        if (m != 0) return same_move(m, predicted_move) ? ponder_hit_line() : InputVerdict::STOP;
        return command_during_search();
    }
    if (line_buffer[0] != '?') return InputVerdict::GO_ON;
    take_pending_line();
    return InputVerdict::STOP;
}

}  // namespace

// A line performed on the spot is followed at once by the next waiting one, so that the clock
// updates an interface sends with its move do not each wait for another poll. Once the input
// has ended, a ponder or analysis search stops at once, as it would for "quit".
InputVerdict xboard_search_input()
{
    while (!line_complete) {
        if (!input_ended && input_available() && gather_input_line(false) > 0)
            std::printf(" Quarvelin search < \"%s\"\n", line_buffer);
        if (!line_complete)
            return input_ended && (ponder_search || analyse_mode) ? InputVerdict::STOP
                                                                  : InputVerdict::GO_ON;
        const InputVerdict verdict = line_during_search();
        if (verdict != InputVerdict::GO_ON || line_complete) return verdict;
    }
    return InputVerdict::GO_ON;
}
