// Whole-file replacement: a good write replaces the target, keeping its permissions, and its
// link when the target is a symbolic link. Failed writes (to /dev/full, on a full disk) are
// proven where the saved game, the book and the check's report are written.
#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;

bool write_whole(const std::string& path, const std::string& text)
{
    AtomicFile f;
    if (!atomic_open(&f, path.c_str())) return false;
    std::fwrite(text.data(), 1, text.size(), f.stream);
    return atomic_commit(&f);
}

TEST(AtomicFile, ReplacesWholeKeepsModeAndFollowsLinks)
{
    ScratchDir s;
    const fs::path target = s.dir / "book";
    ASSERT_TRUE(write_whole(target, "first"));
    EXPECT_EQ(file_text(target), "first");
    chmod(target.c_str(), 0640);
    ASSERT_TRUE(write_whole(target, "second, longer"));
    EXPECT_EQ(file_text(target), "second, longer");
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));
    EXPECT_EQ(entries_in(s.dir), 1u);  // no temporary file left

    // Through a link the linked file is replaced and the link stays a link.
    fs::create_symlink(target, s.dir / "link");
    ASSERT_TRUE(write_whole(s.dir / "link", "third"));
    EXPECT_TRUE(fs::is_symlink(s.dir / "link"));
    EXPECT_EQ(file_text(target), "third");

    // Discarding leaves the target and no temporary file.
    AtomicFile f;
    ASSERT_TRUE(atomic_open(&f, target.c_str()));
    std::fputs("never", f.stream);
    atomic_discard(&f);
    EXPECT_EQ(file_text(target), "third");
    EXPECT_EQ(entries_in(s.dir), 2u);

    // A directory that does not exist cannot be written to.
    EXPECT_FALSE(atomic_open(&f, (s.dir / "none" / "file").c_str()));
}

// A write killed half way leaves its temporary file: the next write of the same file removes
// those of processes that are gone and older than the program, and no other file.
TEST(AtomicFile, LeftoverTemporariesOfDeadWritersAreRemoved)
{
    ScratchDir s;
    const pid_t dead = fork();
    if (dead == 0) _exit(0);
    waitpid(dead, nullptr, 0);
    const std::string gone = std::to_string(dead), live = std::to_string(getppid());
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    const std::pair<std::string, bool> files[] = {
        {"book.tmp-" + gone + "-0", true},       {"book.tmp-" + gone + "-17", true},
        {"book.tmp-" + live + "-0", false},      {"book.tmp-" + gone + "-x", false},
        {"book.tmp-" + gone + "-", false},       {"other.tmp-" + gone + "-0", false},
        {"book.tmp-" + gone + "-0.keep", false}, {"book.tmp--" + gone + "-0", false}};
    for (const auto& [name, stale] : files) {
        write_whole(s.dir / name, "x");
        fs::last_write_time(s.dir / name, old);
    }
    write_whole(s.dir / "new.tmp-1", "x");
    fs::rename(s.dir / "new.tmp-1", s.dir / ("book.tmp-" + gone + "-5"));  // newer than we are
    ASSERT_TRUE(write_whole(s.dir / "book", "text"));
    for (const auto& [name, stale] : files) EXPECT_EQ(fs::exists(s.dir / name), !stale) << name;
    EXPECT_TRUE(fs::exists(s.dir / ("book.tmp-" + gone + "-5")));
    EXPECT_EQ(file_text(s.dir / "book"), "text");
}

// A name as long as a directory entry allows still has room for its temporary file.
TEST(AtomicFile, LongestNamesAndPipesWithoutReaders)
{
    ScratchDir s;
    for (const size_t length : {200u, 254u, 255u}) {
        const fs::path target = s.dir / std::string(length, 'b');
        ASSERT_TRUE(write_whole(target, "long")) << length;
        EXPECT_EQ(file_text(target), "long");
        fs::remove(target);
    }
    EXPECT_EQ(entries_in(s.dir), 0u);
    // A pipe nobody reads is refused at once rather than waited on for ever.
    ASSERT_EQ(mkfifo((s.dir / "fifo").c_str(), 0600), 0);
    AtomicFile f;
    EXPECT_FALSE(atomic_open(&f, (s.dir / "fifo").c_str()));
    EXPECT_EQ(errno, ENXIO);
}

}  // namespace
