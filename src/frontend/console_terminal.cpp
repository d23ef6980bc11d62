// The terminal mode kept while the engine searches in the console: line editing and echo off,
// so the poll sees each key as it is pressed. The mode saved on entry is the one put back, by
// search_keys_end, at exit and before a terminating signal takes its default course.
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

#include "frontend/console.h"

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
