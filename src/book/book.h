// The opening book: `bibli.bok` loaded into a table sorted by book key, the lookup of the
// current position, the weighted choice of a book move and the listing of book successors.
// The table is one std::malloc block of at least book_count records (none when the count is 0).
#pragma once

#include <cstdint>

#include "book/random.h"
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
constexpr const char* BOOK_FILE_NAME = "bibli.bok";

// Where an installed engine keeps its default book, relative to the directory of its program.
constexpr const char* INSTALLED_BOOK = "../share/games/quarvelin/bibli.bok";
constexpr int BOOK_PATH_SIZE = 4096;

// The file load_book reads: `bibli.bok` of the working directory unless a front end names
// another. When the default file is not there, the installed book is read instead.
extern char book_file_name[BOOK_PATH_SIZE];

extern BookRecord* book_table;
extern int32_t book_count;
extern int32_t use_book;
extern int32_t show_book;

// Frees the table and leaves the book empty (count 0, no table, no Polyglot book in use).
void release_book();
// Replaces the book with the contents of `bibli.bok`; 0 on success, -1 (book empty) on failure.
// A file that is_polyglot_book recognises is opened as a Polyglot book instead.
int load_book();
// True when a `bibli.bok` table or a Polyglot book is there to play from.
bool book_in_use();
// The book key of the current position: hash_key with bit 0 of word 0 set for White to move.
Key96 current_book_key();
// Binary search for key: its index, or -1 with *insert_at (when given) set to the index of the
// first record greater than the key.
int book_search(Key96 key, int32_t* insert_at = nullptr);
// Index of the current position's record, or -1.
int book_lookup();
// Index of the record of the position after m, or -1; the position is unchanged on return.
int lookup_after(Move m);
// A book move for the side to move, or 0; prints the book line when some successor is known.
// Overwrites ply 0's move list.
Move choose_book_move();
// The book's answer before a think: a book move when the book is in use and knows the
// position (for a Polyglot book: has a legal move of weight above 0 for it), else 0.
Move book_move_for_think();
// Prints each generated move whose successor is in the book with its attrait and score (each
// legal move of a Polyglot book with its weight).
void list_book_successors();
