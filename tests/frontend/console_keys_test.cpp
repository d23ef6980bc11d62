// The console on a real terminal: the program runs on a pseudo-terminal, and single keys sent
// while it searches show the search state, stop it, or type the opponent's move while it
// ponders. The terminal's mode is checked to be the one it had once the program has ended.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

struct TerminalSession : ChildOutput {
    int master = -1, slave = -1;
    pid_t pid = -1;

    TerminalSession()
    {
        fd = master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
        const char* name = ptsname(master);
        // Kept open to read the terminal's mode once the program has ended.
        slave = open(name, O_RDWR | O_NOCTTY);
        static char dir[] = "/tmp/quarvelin_keys_XXXXXX";  // no book: the engine searches
        static const bool made = mkdtemp(dir) != nullptr;
        if (slave < 0 || !made) return;
        if ((pid = fork()) == 0) {
            setsid();
            const int tty = open(name, O_RDWR);  // becomes the controlling terminal
            dup2(tty, 0), dup2(tty, 1), dup2(tty, 2);
            if (chdir(dir) == 0) execl(QUARVELIN_BINARY, QUARVELIN_BINARY, "text", "H8", nullptr);
            _exit(127);
        }
    }
    ~TerminalSession()
    {
        if (pid > 0) kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
        if (slave >= 0) close(slave);
        if (master >= 0) close(master);
    }
    void send(const std::string& keys)
    {
        EXPECT_EQ(write(master, keys.data(), keys.size()), ssize_t(keys.size()));
    }
    int wait_exit(int seconds = 20)
    {
        const auto end = Clock::now() + std::chrono::seconds(seconds);
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            read_some();  // keeps the terminal's buffer from filling
            if (Clock::now() > end) return -1;
        }
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

// The coordinate text of Black's first move from the console's long form ("Ng8f6", "e5").
std::string first_black_move(const std::string& text)
{
    if (text.size() == 5) return text.substr(1);
    return text.substr(0, 1) + "7" + text;
}

const std::string SEARCH_LINE = "\n[\\[|] *[0-9]+ +[0-9]+ +[0-9]+ [\\]|] ";
const std::string STATUS_LINE = "\n< *[0-9]+ +[0-9]+ +[0-9]+ > [0-9]+/20";

}  // namespace

TEST(ConsoleKeys, KeysShowStopAndAnswerThePonderSearchAndTheModeIsRestored)
{
    TerminalSession t;
    ASSERT_GT(t.pid, 0);
    termios before{};
    ASSERT_EQ(tcgetattr(t.slave, &before), 0);
    t.expect(R"(\[Blancs\] /> )");
    // A fixed depth no search reaches here: only keys end the searches below.
    t.send("ponder\ndepth 30 30\n+\n");
    t.expect("Pondering on\n");
    t.expect(SEARCH_LINE);  // the engine's search is under way
    t.send(" ");
    t.expect(STATUS_LINE);
    t.send("\x1b");
    t.expect("\n1\\. [^ \n]+\n");
    // The engine ponders on the move it expects; typing that move is a hit, and the search goes
    // on as the engine's own until Escape.
    const std::string predicted = t.expect("Je prevois le coup : [^\n]+").substr(21);
    ASSERT_FALSE(predicted.empty());
    t.expect(SEARCH_LINE);
    t.send(first_black_move(predicted) + "\n");
    t.expect("\n===== [^ ]+ =====\n");
    t.send("\x1b");
    t.expect("\n2\\. [^ \n]+\n");
    // Keys that are no move stop the ponder search and are read as the next command.
    t.expect("Je prevois le coup");
    t.send("quit\n");
    t.expect("/> quit\nFermeture de Quarvelin\n");
    EXPECT_EQ(t.wait_exit(), 0);
    termios after{};
    ASSERT_EQ(tcgetattr(t.slave, &after), 0);
    EXPECT_EQ(after.c_lflag & (ICANON | ECHO), before.c_lflag & (ICANON | ECHO));
    EXPECT_EQ(after.c_cc[VMIN], before.c_cc[VMIN]);
}
