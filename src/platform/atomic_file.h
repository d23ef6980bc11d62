// Whole-file replacement: what is written goes to a temporary file beside the target, which is
// flushed, synced and closed with every error checked and only then renamed over the target.
// A failure at any step leaves the target exactly as it was and removes the temporary file.
#pragma once

#include <cstdio>
#include <string>

struct AtomicFile {
    std::FILE* stream = nullptr;  // where the caller writes; nullptr once committed or discarded
    std::string target;           // the file replaced (a symbolic link's final target)
    std::string temp;             // the temporary file, empty when writing straight to target
};

// Opens a new temporary file in the target's directory for writing, first removing the target's
// temporary files left by a write that was killed (of a process gone, older than this program).
// A target that exists and is not a regular file (a device, a pipe) cannot be replaced: it is
// opened and written directly, and a pipe with no reader is refused. False when nothing could
// be opened; the target is untouched.
bool atomic_open(AtomicFile* f, const char* path);
// Makes what was written the target's contents. False when a write, the flush, the sync, the
// close or the rename failed (then the target is untouched and the temporary file is gone).
bool atomic_commit(AtomicFile* f);
// Drops what was written; the target is untouched.
void atomic_discard(AtomicFile* f);
