// The number of search threads the user asked for (the command line's T<n>, xboard's "cores",
// UCI's Threads) and its application to the search, which takes it between thinks only. Helper
// threads own caches beside the shared main table: the memory they take is said when there are
// any, and the report of the main caches stays as it is.
#pragma once

#include <cstdint>

// The count asked for, 1 (the default) to MAX_SEARCH_THREADS.
extern int32_t requested_threads;

// Reads "T<digits>" or "t<digits>" (1..MAX_SEARCH_THREADS; larger counts are clamped) into
// *count and answers true; false for any other argument.
bool parse_threads_argument(const char* arg, int32_t* count);
// Makes thinks run on `count` threads with helpers' caches sized from `budget_bytes`. Returns
// the count in place; *message receives a line for the user (empty with one thread).
int apply_search_threads(int32_t count, uint64_t budget_bytes, char* message, int size);

// xboard's "cores N": noted whenever it comes, during a search too, and applied by
// apply_pending_cores between searches, with what the helpers take as a comment line.
void note_cores_command(const char* count);
void apply_pending_cores();
