// The console's keys while the engine searches: the terminal mode (line editing and echo off,
// so the poll sees each key as it is pressed) and what each key means for the search. The mode
// saved on entry is the one put back, by search_keys_end, at exit and before a terminating
// signal takes its default course.
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "frontend/console.h"
#include "frontend/xboard.h"
#include "movegen/notation.h"
#include "platform/platform.h"
#include "search/clock.h"
#include "search/root.h"
#include "search/think_info.h"
#include "search/search.h"

namespace {

termios saved_mode;                         // the terminal's mode before the search
volatile std::sig_atomic_t raw_active = 0;  // saved_mode must be put back
bool handlers_installed = false;

constexpr int TERMINATING_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void restore_mode()
{
    if (raw_active == 0) return;
    tcsetattr(STDIN_FILENO, TCSANOW, &saved_mode);
    raw_active = 0;
}

// Only async-signal-safe calls: the mode goes back, then the signal does what it always does.
extern "C" void restore_and_reraise(int sig)
{
    restore_mode();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

extern "C" void restore_at_exit()
{
    restore_mode();
}

// Once per run; a signal the process was told to ignore stays ignored.
void install_handlers()
{
    handlers_installed = true;
    std::atexit(restore_at_exit);
    for (int sig : TERMINATING_SIGNALS)
        if (std::signal(sig, restore_and_reraise) == SIG_IGN) std::signal(sig, SIG_IGN);
}

}  // namespace

void search_keys_begin()
{
    if (raw_active != 0 || isatty(STDIN_FILENO) != 1) return;
    if (!handlers_installed) install_handlers();
    if (tcgetattr(STDIN_FILENO, &saved_mode) != 0) return;
    termios keys = saved_mode;
    keys.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    keys.c_cc[VMIN] = 1;
    keys.c_cc[VTIME] = 0;
    raw_active = 1;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &keys) != 0) raw_active = 0;
}

void search_keys_end()
{
    restore_mode();
}

// ---- keys during a search -------------------------------------------------------------------

namespace {

constexpr int ESCAPE_KEY = 27;

// While pondering the keys build the opponent's move; Enter ends it, and the predicted move is
// a ponder hit (said, and the typed characters consumed) while any other line stops the search.
InputVerdict ponder_key()
{
    const int key = read_key();
    if (key == ESCAPE_KEY) return InputVerdict::STOP;
    if (key == '\r' || key == '\n') {
        line_buffer[pending_input] = '\0';
        const Move m = text_to_move(line_buffer);
        if (m == 0 || !same_move(m, predicted_move)) return InputVerdict::STOP;
        std::printf("===== %s =====\n", move_to_text(predicted_move, false));
        take_pending_line();
        return InputVerdict::PONDER_HIT;
    }
    if (key >= 0 && pending_input < LINE_BUFFER_SIZE - 1)
        line_buffer[pending_input++] = static_cast<char>(key);
    line_buffer[pending_input] = '\0';
    return InputVerdict::GO_ON;
}

// Any other key shows where the search stands; Escape stops it.
InputVerdict status_key()
{
    const int64_t elapsed = clock_now() - search_start;
    std::printf("\n<%2d %6u %8llu > %d/%d", iteration_depth, static_cast<unsigned>(elapsed),
                static_cast<unsigned long long>(node_total()), root_index + 1, root_count);
    if (elapsed > 100)
        std::printf(" (%.0lfK/s)",
                    static_cast<double>(node_total()) / static_cast<double>(elapsed));
    std::printf("\n");
    print_search_path();
    std::printf("\n");
    return read_key() == ESCAPE_KEY ? InputVerdict::STOP : InputVerdict::GO_ON;
}

}  // namespace

InputVerdict console_search_input()
{
    if (!key_pressed()) return InputVerdict::GO_ON;
    return ponder_search ? ponder_key() : status_key();
}
