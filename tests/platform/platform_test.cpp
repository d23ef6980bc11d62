// Platform layer: the clocks, and the input tests with stdin replaced by a pipe or /dev/null,
// where the key functions must answer at once and leave every byte for the reader.
#include "platform/platform.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

namespace {

// Puts `fd` in place of stdin for the life of the object, then restores the original.
struct StdinReplaced {
    int saved;
    explicit StdinReplaced(int fd) : saved(dup(STDIN_FILENO)) { dup2(fd, STDIN_FILENO); }
    ~StdinReplaced()
    {
        dup2(saved, STDIN_FILENO);
        close(saved);
    }
};

}  // namespace

TEST(Platform, ClocksAdvance)
{
    int64_t previous = now_ms();
    for (int i = 0; i < 100000; ++i) {
        int64_t t = now_ms();
        ASSERT_GE(t, previous);
        previous = t;
    }
    int64_t before = now_ms();
    usleep(30000);
    int64_t waited = now_ms() - before;
    EXPECT_GE(waited, 29);
    EXPECT_LT(waited, 5000);

    int64_t seconds = calendar_seconds();
    EXPECT_LE(std::llabs(seconds - static_cast<int64_t>(std::time(nullptr))), 1);
}

TEST(Platform, PipeInputIsSeenButNeverConsumedByKeyFunctions)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    {
        StdinReplaced replaced(fds[0]);
        EXPECT_FALSE(stdin_is_terminal());
        EXPECT_FALSE(input_waiting());  // empty pipe, writer still open
        EXPECT_FALSE(key_pressed());
        EXPECT_EQ(read_key(), -1);  // would block forever if it tried to read

        ASSERT_EQ(write(fds[1], "abc", 3), 3);
        EXPECT_TRUE(input_waiting());
        EXPECT_FALSE(key_pressed());
        EXPECT_EQ(read_key(), -1);
        char got[4] = {};
        ASSERT_EQ(read(STDIN_FILENO, got, 3), 3);
        EXPECT_STREQ(got, "abc");

        EXPECT_FALSE(input_waiting());
        close(fds[1]);
        EXPECT_TRUE(input_waiting());  // end of input: the reader must get to see it
    }
    close(fds[0]);
}

TEST(Platform, DevNullLooksLikeEndedInput)
{
    int fd = open("/dev/null", O_RDONLY);
    ASSERT_GE(fd, 0);
    {
        StdinReplaced replaced(fd);
        EXPECT_FALSE(stdin_is_terminal());
        EXPECT_TRUE(input_waiting());
        EXPECT_FALSE(key_pressed());
        EXPECT_EQ(read_key(), -1);
    }
    close(fd);
}

TEST(Platform, TerminalKeyIsReadRawAndTheModeRestored)
{
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    termios before{};
    ASSERT_EQ(tcgetattr(slave, &before), 0);
    {
        StdinReplaced replaced(slave);
        EXPECT_TRUE(stdin_is_terminal());
        EXPECT_FALSE(key_pressed());
        // A key without Enter: held back by line editing, yet seen by the raw-mode test.
        ASSERT_EQ(write(master, "q", 1), 1);
        usleep(20000);
        EXPECT_TRUE(key_pressed());
        EXPECT_EQ(read_key(), 'q');
        EXPECT_FALSE(key_pressed());
    }
    termios after{};
    ASSERT_EQ(tcgetattr(slave, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_cc[VMIN], before.c_cc[VMIN]);
    close(slave);
    close(master);
}
