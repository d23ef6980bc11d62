// Platform layer: the input tests with stdin replaced by a pipe; off a terminal the key functions
// answer at once and leave every byte to the reader. Keys on a real terminal are proven by the
// console's pseudo-terminal session.
#include "platform/platform.h"

#include <gtest/gtest.h>
#include <unistd.h>

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

TEST(Platform, PipeInputAndItsEndAreSeenButNeverConsumedByKeyFunctions)
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
        expect_no_key();
    }
    close(fds[0]);
}
