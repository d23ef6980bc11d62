// The French text console: its loop, the line reader that every console tool shares, the
// command table, the EPD test file and the terminal mode kept while the engine searches.
// Input is taken one line at a time; a command reads its arguments from the rest of its line
// and whatever it leaves there is dropped, so a piped script behaves like typed lines.
#pragma once

#include <cstdint>
#include <cstdio>

#include "frontend/settings.h"
#include "search/search_link.h"

// ---- the current input line -----------------------------------------------------------------

// The line being taken apart (at most LINE_BUFFER_SIZE - 1 characters are kept; the rest of a
// longer line is dropped) and the position of the next unread character in it.
extern char console_line[LINE_BUFFER_SIZE];
extern int32_t console_cursor;

// Flushes stdout, then reads the next line of standard input as the current line.
// Returns false at the end of the input (or on a read error) with an empty current line.
bool console_read_line();
// Makes text the current line (the characters typed while the engine pondered).
void console_set_line(const char* text);
// The next whitespace-delimited word of the current line into out (size bytes, cut to fit);
// false, with out empty, when the line holds no more words.
bool console_word(char* out, int size);
// The next decimal number of the current line, with an optional sign, clamped to 32 bits;
// false when the next characters are not a number (they stay unread, so later reads fail too).
bool console_number(int32_t* value);

// ---- the loop -------------------------------------------------------------------------------

// The console; returns 0 on "quit", "exit" or the end of the input.
int console_loop();
// The first word of the next command into `line_buffer`: the pending characters typed during
// the last search (echoed) or, when there are none, the first word of the next non-blank line.
// False at the end of the input.
bool read_command_word();
// Lower-cases A to Z in place.
void lower_case(char* word);
// Performs a console command word (lower case); 1 when done, 0 when it is no command,
// -1 when it ends the console.
int console_command(const char* word);

// The clock line printed before each prompt: both colours' remaining time and increments.
void print_clock_line();
// Both clocks as "tournament" reports them, with the operator time.
void print_tournament_clocks();
// The help text.
void print_help();

// ---- EPD test positions ---------------------------------------------------------------------

extern std::FILE* epd_file;              // opened by "epd_load", none before
extern int32_t epd_number;               // number of the line last read, from 1
extern char epd_line[LINE_BUFFER_SIZE];  // that line (at most 255 characters)

// Opens the named file (closing any earlier one) and loads its first line; 0, -1 when it cannot
// be opened, -2 when it opened but its first line gave no position.
int epd_load(const char* name);
// Loads the next line of the open file; 0, or -1 when there is no file, no line or no position.
int epd_next();

// ---- book tools -----------------------------------------------------------------------------

// What the console's book commands run: the book check to a depth of 1..9 plies ("chkbk"),
// the interactive editor ("edit_book") and the optimiser ("optimizebk").
void console_book_check(int depth);
void console_book_editor();
void console_book_optimiser();

// ---- terminal mode during a search ----------------------------------------------------------

// On a terminal, keys must reach the poll one at a time and unechoed while the engine thinks:
// begin switches line editing and echo off, end puts the saved mode back. The saved mode is
// also put back at exit and by a terminating signal. Nothing happens when stdin is no terminal.
void search_keys_begin();
void search_keys_end();
// What a key pressed during a search means: installed as the search's input question in the
// console.
InputVerdict console_search_input();
