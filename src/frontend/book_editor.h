// The interactive book editor: walks openings from the initial position, adds every position
// reached to the book table and edits scores and weights in place. While it runs the table has
// room for BOOK_MAX_RECORDS records and stays sorted by book key with no duplicate key.
#pragma once

#include <cstdio>

// Score and weight limits of the editor's "s" and "a" commands.
constexpr int EDITOR_MAX_SCORE = 1000;
constexpr int EDITOR_MAX_ATTRAIT = 1000;

// The editor on standard input; returns 0 when left by "exit", -1 when the table cannot be
// allocated (the book is then unchanged).
int edit_book();
// The same, reading its command lines from `in` (a piped script or a test's file).
int edit_book_from(std::FILE* in);

// Adds the current position (score 0, attrait 1) when it is absent, printing "<+> "; returns 0
// after adding, -1 when it was already there or the table is full.
int add_current_position();

// 1 when the records are in strictly ascending key order; otherwise prints the error and
// answers 0.
int book_is_sorted();
