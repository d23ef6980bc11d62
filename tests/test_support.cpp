// One-time initialisation of the engine for the test processes.
#include "test_support.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <regex>

#include "caches/caches.h"
#include "core/setup.h"
#include "core/tables.h"
#include "eval/bitbases.h"
#include "frontend/startup.h"

void engine_init_for_tests()
{
    static bool done = false;
    if (done) return;
    done = true;
    mode_flags = MODE_XBOARD;  // keeps the text-mode reports quiet
    if (allocate_caches(uint64_t{16} << 20) != 0) std::abort();
    init_static_tables();
    init_bitbases();
    install_front_end_links();
    capture_stdout([] { nouvelle_partie(); });
}

int setup_fen(const std::string& fen)
{
    engine_init_for_tests();
    int result = 0;
    capture_stdout([&] { result = lit_fen(fen.c_str()); });
    return result;
}

std::string colour_mirrored_fen(const std::string& fen)
{
    const size_t board_end = fen.find(' ');
    const char side = board_end == std::string::npos ? 'w' : fen[board_end + 1];
    std::string out, rank;
    for (size_t i = 0; i <= fen.size() && i <= board_end; ++i) {
        const char ch = i < fen.size() ? fen[i] : ' ';
        if (ch != '/' && ch != ' ') {
            const bool upper = ch >= 'A' && ch <= 'Z', lower = ch >= 'a' && ch <= 'z';
            rank += upper ? char(ch - 'A' + 'a') : lower ? char(ch - 'a' + 'A') : ch;
            continue;
        }
        out = out.empty() ? rank : rank + "/" + out;
        rank.clear();
    }
    return out + (side == 'b' ? " w" : " b") + " - - 0 1";
}

int square_named(const char* name)
{
    return square_of(name[0] - 'a' + 1, name[1] - '0');
}

bool ChildOutput::read_some()
{
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) return true;
    char buf[4096];
    const ssize_t n = read(fd, buf, sizeof buf);
    for (ssize_t i = 0; i < n; ++i)
        if (buf[i] != '\r') out += buf[i];
    return n > 0;
}

std::string ChildOutput::expect(const std::string& pattern, int seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    const std::regex re(pattern);
    for (std::smatch m;;) {
        const std::string rest = out.substr(cursor);
        if (std::regex_search(rest, m, re)) {
            cursor += size_t(m.position(0) + m.length(0)) - (m.str(0).back() == '\n');
            return m.str(0);
        }
        if (std::chrono::steady_clock::now() > end || !read_some()) {
            ADD_FAILURE() << "no /" << pattern << "/ in:\n" << rest;
            return "";
        }
    }
}
