// STUB: replaced by the book module.
#include "book/book.h"
BookRecord* book_table;
int32_t book_count;
int32_t use_book = 1;
int32_t show_book;
int load_book() { return -1; }
int book_lookup() { return -1; }
Move choose_book_move() { return 0; }
void list_book_successors() {}
void seed_random(int32_t) {}
int32_t random_int(int32_t lo, int32_t) { return lo; }
