// What the two halves of the UCI front end share: the input line and the lines kept for after a
// search, the words of a command line, and the engine's own messages passed on as info strings.
#pragma once

#include <cstdint>

#include "core/types.h"

// Long enough for "position startpos moves ..." of the longest game the engine can keep.
constexpr int UCI_LINE_SIZE = 16384;

// Room for the lines that arrive during a search and wait for it to end.
constexpr int UCI_DEFERRED_BYTES = 1 << 18;
// Keeps a line for after the search; false when there is no room left for it.
bool defer_line(const char* line);

// The next word of *p (cut to size - 1 characters) into out; *p moves past it. False, with out
// empty, when no word is left.
bool next_word(const char** p, char* out, int size);

// Drops the CR and blanks at the end of a line.
void trim_line_end(char* line);

// Prints each non-empty line of text as "info string <line>".
void print_info_strings(const char* text);

// Runs fn with its printed lines passed on as info strings.
void run_quietly(void (*fn)(void*), void* context);

// Set by the input during a search, read and cleared by the search's driver.
extern bool uci_stop_received;
extern bool uci_ponderhit_received;
extern bool uci_quit_received;

// False after a refused "position" and until one is accepted: no search answers for the
// position kept, since it is not the one the interface means.
extern bool uci_position_set;

// Milliseconds kept back from every budget for the interface's lag.
constexpr int32_t DEFAULT_MOVE_OVERHEAD_MS = 30;
constexpr int32_t MAX_MOVE_OVERHEAD_MS = 5000;
extern int32_t move_overhead_ms;

// Blocks for the next line (a kept one first) and copies it into out; false at the end of input.
bool read_uci_line(char* out);
// Blocks for the next line of the input itself, the kept lines left in their place; false at the
// end of input. A reader that keeps what it reads must use this one, or it would take back its
// own kept lines for ever.
bool read_input_line(char* out);

// Applies an option set since the last search or "isready" (the cache size).
void apply_pending_options();

// "go" with its arguments; returns after "bestmove" was printed.
void uci_go(const char* args);

// A move as UCI writes it: coordinates, a promotion in lower case.
void uci_move_text(Move m, char* out);

// "go perft N": the paths of N plies under each legal root move, then their total.
void uci_perft(int64_t depth);

// During a search that has run a second: the root move being searched, once per move.
void report_current_move();
