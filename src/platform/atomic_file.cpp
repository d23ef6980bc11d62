// POSIX whole-file replacement. The temporary file lives in the target's own directory, so the
// final rename never crosses file systems and either happens whole or not at all; it is created
// exclusively (never reusing a stray file) with the permissions the target had.
#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

unsigned temp_counter = 0;
constexpr int TEMP_ATTEMPTS = 100;

// A symbolic link is followed, so that the file it names is the one replaced and the link
// stays; a dangling link is replaced itself.
std::string final_target(const char* path)
{
    struct stat st {};
    if (lstat(path, &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = realpath(path, nullptr)) {
            std::string resolved(real);
            std::free(real);
            return resolved;
        }
    }
    return path;
}

// Creates the temporary file and opens its stream; false (errno set) when it cannot be made.
bool open_temp(AtomicFile* f, const struct stat* old)
{
    for (int attempt = 0; attempt < TEMP_ATTEMPTS; ++attempt) {
        const std::string name =
            f->target + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(temp_counter++);
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        if (old != nullptr) fchmod(fd, old->st_mode & 07777);
        f->stream = fdopen(fd, "w");
        if (f->stream == nullptr) {
            const int saved = errno;
            close(fd);
            unlink(name.c_str());
            errno = saved;
            return false;
        }
        f->temp = name;
        return true;
    }
    errno = EEXIST;
    return false;
}

}  // namespace

bool atomic_open(AtomicFile* f, const char* path)
{
    *f = AtomicFile{};
    f->target = final_target(path);
    struct stat st {};
    const bool exists = stat(f->target.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        f->stream = std::fopen(f->target.c_str(), "w");
        return f->stream != nullptr;
    }
    // A file its owner made read-only stays protected, as it would be from a plain write.
    if (exists && access(f->target.c_str(), W_OK) != 0) return false;
    return open_temp(f, exists ? &st : nullptr);
}

bool atomic_commit(AtomicFile* f)
{
    if (f->stream == nullptr) return false;
    bool ok = std::fflush(f->stream) == 0 && std::ferror(f->stream) == 0;
    // The data must be on the disk before the name points at it, or a crash could leave an
    // empty file where the old one was.
    if (ok && !f->temp.empty() && fsync(fileno(f->stream)) != 0 && errno != EINVAL) ok = false;
    int saved = errno;
    if (std::fclose(f->stream) != 0) {
        ok = false;
        saved = errno;
    }
    f->stream = nullptr;
    if (!f->temp.empty()) {
        if (ok && std::rename(f->temp.c_str(), f->target.c_str()) != 0) {
            ok = false;
            saved = errno;
        }
        if (!ok) unlink(f->temp.c_str());
        f->temp.clear();
    }
    errno = saved;
    return ok;
}

void atomic_discard(AtomicFile* f)
{
    if (f->stream != nullptr) std::fclose(f->stream);
    f->stream = nullptr;
    if (!f->temp.empty()) unlink(f->temp.c_str());
    f->temp.clear();
}
