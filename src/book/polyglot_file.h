// Polyglot `.bin` books on disk: 16-byte big-endian entries (key, move field, weight, learn)
// sorted by key. A book is read in place, never loaded: opening checks the length and the order
// of a sample of keys, and each lookup is a binary search of single-entry reads that never goes
// past the entry count taken at opening. Writing replaces a file whole or not at all.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct PolyglotEntry {
    uint64_t key = 0;
    uint16_t move = 0;
    uint16_t weight = 0;
    uint32_t learn = 0;
};

constexpr int64_t POLYGLOT_ENTRY_BYTES = 16;

enum class PolyglotStatus {
    OK,
    NOT_OPENED,
    NOT_REGULAR,
    EMPTY_FILE,
    ODD_LENGTH,
    UNSORTED,
    READ_ERROR
};

struct PolyglotBook {
    std::FILE* file = nullptr;  // open only while status is OK
    std::string path;
    int64_t entries = 0;  // file length / 16, fixed at opening
    int64_t bytes = 0;
    PolyglotStatus status = PolyglotStatus::NOT_OPENED;
};

// Opens and checks a book; on any status but OK the file is closed again.
PolyglotStatus polyglot_open(PolyglotBook* book, const char* path);
void polyglot_close(PolyglotBook* book);
// The entries of key, in file order. False when the book proves unsorted or unreadable on the
// way (its status then says which, and it is closed).
bool polyglot_find(PolyglotBook* book, uint64_t key, std::vector<PolyglotEntry>* out);
// Every entry, checking the whole order; false (status set, book closed) on a fault.
bool polyglot_read_all(PolyglotBook* book, std::vector<PolyglotEntry>* out);
// Why a book was refused, naming its file, in English (or in French for the console).
std::string polyglot_problem(const PolyglotBook& book);
std::string polyglot_problem_fr(const PolyglotBook& book);

// Sorts entries as the format requires (key, then heaviest first, then move) and writes them.
// False, the old file untouched, on any failure.
bool write_polyglot_file(const char* path, std::vector<PolyglotEntry> entries);
// True for a name ending in ".bin", whatever its case.
bool has_polyglot_name(const char* path);
// True when a book file should be read as Polyglot: its name ends in ".bin", or, unless it ends
// in ".bok", it is a non-empty regular file whose length is a multiple of 16 (a `bibli.bok` is
// always four bytes longer than one).
bool is_polyglot_book(const char* path);
