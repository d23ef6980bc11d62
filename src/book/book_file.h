// The book file format shared by the loader, the editor and the book builder: a signed 32-bit
// little-endian record count from 1 to BOOK_MAX_RECORDS, then that many 16-byte little-endian
// records (three key words, the score, the attrait). A file is written whole or not at all.
#pragma once

#include <cstdint>

#include "book/book.h"

enum class BookFileStatus { OK, NOT_OPENED, BAD_COUNT, SHORT_FILE, NO_MEMORY };

struct BookFileContents {
    BookFileStatus status = BookFileStatus::NOT_OPENED;
    int32_t count = 0;              // the count as read (also when it is out of range)
    int64_t bytes = 0;              // the bytes the file held, as far as they were read
    BookRecord* records = nullptr;  // a std::malloc block of count records when status is OK
};

// Reads a book file into a new block that the caller owns. A file that ends before its count or
// its last record is SHORT_FILE; a count out of range is BAD_COUNT; nothing is kept then.
BookFileContents read_book_file(const char* path);
// Prints why a read failed (other than NOT_OPENED, which each caller words itself).
void print_book_file_error(const BookFileContents& contents);
// Writes the count and the records, replacing the file only once all of it is safely written;
// false (the old file untouched) on any failure.
bool write_book_file(const char* path, const BookRecord* records, int32_t count);
