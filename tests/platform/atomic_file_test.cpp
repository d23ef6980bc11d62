// Whole-file replacement: a good write replaces the target, keeping its permissions, and its
// link when the target is a symbolic link. Failed writes (to /dev/full, on a full disk) are
// proven where the saved game, the book and the check's report are written.
#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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

}  // namespace
