// POSIX whole-file replacement. The temporary file lives in the target's own directory, so the
// final rename never crosses file systems and either happens whole or not at all; it is created
// exclusively (never reusing a stray file) with the permissions the target had. Its name, the
// target's name (cut to leave room) then ".tmp-PID-N", always fits in a directory entry.
#include "platform/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>

namespace {

unsigned temp_counter = 0;
constexpr int TEMP_ATTEMPTS = 100;
// The longest ".tmp-PID-N": two numbers of up to ten digits each.
constexpr size_t TEMP_SUFFIX_MAX = 5 + 10 + 1 + 10;
constexpr size_t NAME_LIMIT = 255;  // bytes of a directory entry on the usual file systems

// A temporary file of this pattern older than the program, left by a process that is gone, is
// what a killed write left behind.
const std::time_t program_start = std::time(nullptr);

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

// The directory part of a path ("" for the working directory, else ending in '/') and the
// start of every temporary name of its file: the file's name, cut to leave room for the suffix.
void temp_stem(const std::string& path, std::string* dir, std::string* stem)
{
    const size_t slash = path.rfind('/');
    *dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    *stem = path.substr(dir->size(), NAME_LIMIT - TEMP_SUFFIX_MAX) + ".tmp-";
}

// The process id of a name "STEM" + "PID-N", or -1 when the rest is not of that form.
long temp_owner(const std::string& entry, const std::string& stem)
{
    if (entry.compare(0, stem.size(), stem) != 0) return -1;
    const char* p = entry.c_str() + stem.size();
    char* end = nullptr;
    const long pid = std::strtol(p, &end, 10);
    if (end == p || *p < '0' || *p > '9' || *end != '-' || end[1] < '0' || end[1] > '9') return -1;
    for (p = end + 1; *p >= '0' && *p <= '9'; ++p) {
    }
    return *p == '\0' && pid > 0 ? pid : -1;
}

// Removes the temporary files of this target that a killed write left: of a process that no
// longer runs, and older than this program. A live process's file may still be being written.
void remove_stale_temps(const std::string& dir, const std::string& stem)
{
    DIR* d = opendir(dir.empty() ? "." : dir.c_str());
    if (d == nullptr) return;
    while (const dirent* e = readdir(d)) {
        const long pid = temp_owner(e->d_name, stem);
        if (pid < 0 || pid == getpid() || kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
            continue;
        const std::string name = dir + e->d_name;
        struct stat st {};
        if (lstat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_mtime < program_start)
            unlink(name.c_str());
    }
    closedir(d);
}

// Creates the temporary file and opens its stream; false (errno set) when it cannot be made.
bool open_temp(AtomicFile* f, const struct stat* old)
{
    std::string dir, stem;
    temp_stem(f->target, &dir, &stem);
    remove_stale_temps(dir, stem);
    for (int attempt = 0; attempt < TEMP_ATTEMPTS; ++attempt) {
        const std::string name =
            dir + stem + std::to_string(getpid()) + "-" + std::to_string(temp_counter++);
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
        // A pipe nobody reads would hold the open for ever: it is refused (ENXIO) instead.
        const int fd = open(f->target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return false;
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        f->stream = fdopen(fd, "w");
        if (f->stream == nullptr) close(fd);
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
