// A file system that can be filled: a tmpfs of a few pages mounted on a scratch directory for
// the life of the object. Mounting needs root; a test calls GTEST_SKIP when `mounted` is false.
#pragma once

#include <sys/mount.h>
#include <unistd.h>

#include <cstdio>
#include <string>

struct SmallDisk {
    std::string dir;
    bool mounted = false;

    explicit SmallDisk(int kilobytes = 16)
    {
        char name[] = "/tmp/quarvelin_disk_XXXXXX";
        if (mkdtemp(name) == nullptr) return;
        dir = name;
        const std::string size = "size=" + std::to_string(kilobytes) + "k";
        mounted = mount("tmpfs", name, "tmpfs", 0, size.c_str()) == 0;
    }
    ~SmallDisk()
    {
        if (mounted) umount(dir.c_str());
        if (!dir.empty()) rmdir(dir.c_str());
    }
    std::string path(const std::string& name) const { return dir + "/" + name; }
    // Takes every free block with a padding file, so that the next byte written fails.
    void fill() const
    {
        std::FILE* f = std::fopen(path("padding").c_str(), "wb");
        if (f == nullptr) return;
        static const char block[512] = {};
        while (std::fwrite(block, 1, sizeof block, f) == sizeof block && std::fflush(f) == 0) {
        }
        std::fclose(f);
    }
};
