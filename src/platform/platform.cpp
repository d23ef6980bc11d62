// POSIX implementation of the platform layer. The key functions change the terminal mode only
// for the duration of one call and always put the saved mode back, so the console's line input
// and echo are never left altered; on anything but a terminal they touch nothing.
#include "platform/platform.h"

#include <poll.h>
#include <sys/mman.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>

int64_t now_ms()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t{ts.tv_sec} * 1000 + ts.tv_nsec / 1000000;
}

int64_t calendar_seconds()
{
    return static_cast<int64_t>(std::time(nullptr));
}

bool stdin_is_terminal()
{
    return isatty(STDIN_FILENO) == 1;
}

// A hang-up, an error or a closed descriptor also counts as waiting input: the reader's next
// read then returns at once and sees the end instead of the poller waiting forever.
static bool descriptor_ready(int fd)
{
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 0) <= 0) return false;
    return (p.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

bool input_waiting()
{
    return descriptor_ready(STDIN_FILENO);
}

int read_input_byte()
{
    for (;;) {
        unsigned char c = 0;
        const ssize_t got = read(STDIN_FILENO, &c, 1);
        if (got == 1) return c;
        if (got < 0 && errno == EINTR) continue;  // a signal is not the end of the input
        return -1;
    }
}

// Puts the terminal in non-canonical, unechoed mode (no signal keys either, so an interrupt
// key arrives as its code and cannot end the process with the mode left changed). `min_bytes`
// is the VMIN of the raw mode: 1 to wait for a key, 0 to return at once.
static bool enter_raw_mode(termios* saved, cc_t min_bytes)
{
    if (tcgetattr(STDIN_FILENO, saved) != 0) return false;
    termios raw = *saved;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG);
    raw.c_cc[VMIN] = min_bytes;
    raw.c_cc[VTIME] = 0;
    return tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
}

// TCSANOW, not TCSAFLUSH: keys typed meanwhile stay for the next read.
static void leave_raw_mode(const termios* saved)
{
    tcsetattr(STDIN_FILENO, TCSANOW, saved);
}

bool key_pressed()
{
    if (!stdin_is_terminal()) return false;
    termios saved{};
    if (!enter_raw_mode(&saved, 0)) return false;
    // Without line editing a single pressed key is readable even before Enter.
    bool ready = descriptor_ready(STDIN_FILENO);
    leave_raw_mode(&saved);
    return ready;
}

int read_key()
{
    if (!stdin_is_terminal()) return -1;
    std::fflush(stdout);  // whatever asks for the key must be on the screen first
    termios saved{};
    if (!enter_raw_mode(&saved, 1)) return -1;
    unsigned char c = 0;
    ssize_t got = read(STDIN_FILENO, &c, 1);
    leave_raw_mode(&saved);
    return got == 1 ? static_cast<int>(c) : -1;
}

void ignore_interrupt_signal()
{
    std::signal(SIGINT, SIG_IGN);
}

int read_bounded_line(std::FILE* in, char* buffer, int size, long limit)
{
    int length = 0;
    long read = 0;
    int c = std::getc(in);
    for (; c != EOF && c != '\n'; c = std::getc(in)) {
        if (++read > limit) {
            buffer[length] = '\0';
            return -1;
        }
        if (length < size - 1) buffer[length++] = static_cast<char>(c);
    }
    buffer[length] = '\0';
    return c != EOF || length > 0 ? 1 : 0;
}

bool read_text_line(std::FILE* in, char* buffer, int size)
{
    return read_bounded_line(in, buffer, size, LONG_MAX) > 0;
}

void capture_output(void (*fn)(void*), void* context, char* out, int size)
{
    out[0] = '\0';
    std::fflush(stdout);
    std::FILE* scratch = std::tmpfile();
    const int saved = scratch != nullptr ? dup(STDOUT_FILENO) : -1;
    if (saved < 0) {
        if (scratch != nullptr) std::fclose(scratch);
        fn(context);
        return;
    }
    dup2(fileno(scratch), STDOUT_FILENO);
    fn(context);
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    std::rewind(scratch);
    const size_t got = std::fread(out, 1, static_cast<size_t>(size - 1), scratch);
    out[got] = '\0';
    std::fclose(scratch);
}

bool executable_directory(char* out, int size)
{
    out[0] = '\0';
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return false;
    path[n] = '\0';
    char* slash = std::strrchr(path, '/');
    if (slash == nullptr || slash - path + 2 > size) return false;
    slash[1] = '\0';
    std::snprintf(out, static_cast<size_t>(size), "%s", path);
    return true;
}

void advise_huge_pages(void* block, uint64_t bytes)
{
#ifdef MADV_HUGEPAGE
    madvise(block, static_cast<size_t>(bytes), MADV_HUGEPAGE);
#else
    (void)block;
    (void)bytes;
#endif
}
