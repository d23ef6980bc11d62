// One-time initialisation of the engine for the test processes.
#include "test_support.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "caches/caches.h"
#include "core/makemove.h"
#include "core/setup.h"
#include "core/tables.h"
#include "eval/bitbases.h"
#include "frontend/startup.h"
#include "movegen/movegen.h"
#include "movegen/notation.h"

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

std::vector<Move> legal_moves()
{
    return legal_moves_at(40);
}

void setup_and_play(const std::string& moves, const std::string& fen)
{
    EXPECT_EQ(setup_fen(fen), 0) << fen;
    std::istringstream in(moves);
    for (std::string m; in >> m;) make_move(text_to_move(m.c_str()));
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

ScratchDir::ScratchDir(bool enter)
{
    char name[] = "/tmp/quarvelin_test_XXXXXX";
    dir = mkdtemp(name) != nullptr ? name : "";
    if (enter) back = std::filesystem::current_path(), std::filesystem::current_path(dir);
}

ScratchDir::~ScratchDir()
{
    if (!back.empty()) std::filesystem::current_path(back);
    if (!dir.empty()) std::filesystem::remove_all(dir);
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string file_text(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

size_t entries_in(const std::filesystem::path& dir)
{
    using std::filesystem::directory_iterator;
    return static_cast<size_t>(std::distance(directory_iterator(dir), directory_iterator{}));
}

std::vector<std::vector<std::string>> data_rows(const std::string& name)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(file_text(std::string(QUARVELIN_TEST_DATA) + "/" + name));
    auto trim = [](const std::string& f) {
        const size_t a = f.find_first_not_of(' '), b = f.find_last_not_of(' ');
        return a == std::string::npos ? std::string() : f.substr(a, b - a + 1);
    };
    for (std::string line; std::getline(in, line);) {
        if (trim(line).empty() || line[0] == '#') continue;
        rows.emplace_back();
        for (size_t at = 0, bar; at <= line.size(); at = bar + 1) {
            bar = std::min(line.find('|', at), line.size());
            rows.back().push_back(trim(line.substr(at, bar - at)));
        }
    }
    return rows;
}

CommandRun run_command(const std::filesystem::path& dir, const std::string& command,
                       const std::string& input)
{
    std::ofstream(dir / ".input", std::ios::binary) << input;
    const std::string line = "cd '" + dir.string() + "' && " + command + " < .input > .output 2>&1";
    const int status = std::system(line.c_str());
    CommandRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, file_text(dir / ".output")};
    std::filesystem::remove(dir / ".input"), std::filesystem::remove(dir / ".output");
    return run;
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

ChildEngine::ChildEngine(const std::vector<std::string>& args, const char* book)
{
    static char bookless[] = "/tmp/quarvelin_engine_XXXXXX";
    static const bool made = mkdtemp(bookless) != nullptr;
    char with_book[] = "/tmp/quarvelin_engine_book_XXXXXX";
    const char* dir = bookless;
    if (book != nullptr) {
        dir = mkdtemp(with_book);
        if (dir == nullptr || symlink(book, (std::string(dir) + "/bibli.bok").c_str()) != 0) return;
    }
    std::signal(SIGPIPE, SIG_IGN);
    std::vector<char*> argv{const_cast<char*>(QUARVELIN_BINARY)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int in[2], o[2];
    if (!made || pipe(in) != 0 || pipe(o) != 0) return;
    if ((pid = fork()) == 0) {
        dup2(in[0], 0), dup2(o[1], 1), dup2(o[1], 2), close(in[1]), close(o[0]);
        if (chdir(dir) == 0) execv(QUARVELIN_BINARY, argv.data());
        _exit(127);
    }
    close(in[0]), close(o[1]);
    to = in[1], fd = o[0];
}

void ChildEngine::send(const std::string& s)
{
    EXPECT_EQ(write(to, s.data(), s.size()), ssize_t(s.size()));
}

int ChildEngine::finish()
{
    int status = -1;
    if (pid <= 0) return status;
    close(to);
    for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60); read_some();)
        if (std::chrono::steady_clock::now() > end) kill(pid, SIGKILL);
    waitpid(pid, &status, 0), close(fd), pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
