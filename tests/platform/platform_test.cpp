// Platform layer: the input tests with stdin replaced by a pipe, /dev/null or a pseudo-terminal;
// off a terminal the key functions answer at once and leave every byte to the reader.
#include "platform/platform.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

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

// Not a terminal: no key is ever pressed and read_key would block if it tried to read.
void expect_no_key()
{
    EXPECT_FALSE(stdin_is_terminal());
    EXPECT_FALSE(key_pressed());
    EXPECT_EQ(read_key(), -1);
}

}  // namespace

TEST(Platform, PipeAndDevNullInputIsSeenButNeverConsumedByKeyFunctions)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    {
        StdinReplaced replaced(fds[0]);
        EXPECT_FALSE(input_waiting());  // empty pipe, writer still open
        expect_no_key();
        ASSERT_EQ(write(fds[1], "abc", 3), 3);
        EXPECT_TRUE(input_waiting());
        expect_no_key();
        char got[4] = {};
        ASSERT_EQ(read(STDIN_FILENO, got, 3), 3);
        EXPECT_STREQ(got, "abc");
        EXPECT_FALSE(input_waiting());
        close(fds[1]);
        EXPECT_TRUE(input_waiting());  // end of input: the reader must get to see it
    }
    close(fds[0]);
    const int null_fd = open("/dev/null", O_RDONLY);
    ASSERT_GE(null_fd, 0);
    {
        StdinReplaced replaced(null_fd);
        EXPECT_TRUE(input_waiting());
        expect_no_key();
    }
    close(null_fd);
}

TEST(Platform, TerminalKeyIsReadRawAndTheModeRestored)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_TRUE(grantpt(master) == 0 && unlockpt(master) == 0);
    const int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    termios before{}, after{};
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
    ASSERT_EQ(tcgetattr(slave, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_cc[VMIN], before.c_cc[VMIN]);
    close(slave);
    close(master);
}
