// The opening book: `bibli.bok` loaded into a table sorted by book key, the lookup of the
// current position, the weighted choice of a book move and the book's random generator.
#pragma once

#include <cstdint>

#include "core/types.h"

struct BookRecord {
    uint32_t key0;  // hash_key word 0 with bit 0 = side to move (1 White)
    uint32_t key1;
    uint32_t key2;
    int16_t score;     // "S"
    uint16_t attrait;  // "A"
};
static_assert(sizeof(BookRecord) == 16);

constexpr int32_t BOOK_MAX_RECORDS = 0x20000;

extern BookRecord* book_table;
extern int32_t book_count;
extern int32_t use_book;
extern int32_t show_book;

int load_book();
int book_lookup();
Move choose_book_move();
void list_book_successors();
void seed_random(int32_t seed);
int32_t random_int(int32_t lo, int32_t hi);
