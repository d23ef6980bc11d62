// The helper threads of a think. They are created once for a thread count and reused by every
// think; the thread that runs the think (the main one) keeps the clock, the input, the book and
// every report. A helper searches the same root on its own copy of the position with its own
// caches and tables, shares only the main table, and stops when the main thread stops it.
#pragma once

#include <cstdint>

#include "platform/thread_state.h"

constexpr int MAX_SEARCH_THREADS = 256;

// 0 on the thread that runs the think, 1.. on the helpers: a helper reports nothing and answers
// only to the main thread's stop.
extern QV_THREAD_STATE int32_t helper_number;

// Makes thinks run on `count` threads (clamped to 1..MAX_SEARCH_THREADS), each helper's own
// caches sized from `budget_bytes` as the main thread's are. Called between thinks, from the
// thread that runs them; helpers already there with the same budget are kept. Returns the
// count in place: fewer when a helper's caches could not be obtained.
int set_search_threads(int count, uint64_t budget_bytes);
// Threads a think runs on, the main one included.
int search_threads();
// Bytes of caches each helper owns (0 with one thread).
uint64_t helper_cache_bytes();

// Main thread, its root list built: every helper starts its think of the current position,
// limited to the root moves of the main thread's list and to `max_depth` iterations.
void start_helpers(int max_depth);
// Stops the helpers of the running think and waits until every one is idle.
void stop_helpers();
// Nodes the helpers have searched in the current (or last) think, as they last published them;
// cleared by the main thread when a think begins, whether helpers join it or not.
uint64_t helper_nodes();
void clear_helper_nodes();
// On a helper, at each poll: publishes its node count; true when it must stop.
bool helper_must_stop(uint64_t own_nodes);
