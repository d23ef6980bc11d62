// Shared helpers of the test suite: one-time engine initialisation (tables and small caches)
// and position set-up from FEN with the FEN reader's chatter kept off the test output.
#pragma once

#include <string>

#include "core/types.h"

// Builds the static tables and allocates small caches once per test process; also resets the
// settings the tests rely on (text mode off, so nothing is printed by the sizing routines).
void engine_init_for_tests();

// Sets up a position from a FEN record, swallowing what lit_fen prints; returns its result.
int setup_fen(const std::string& fen);

// Runs f with stdout captured and returns what it printed.
template <typename F>
std::string capture_stdout(F f);

#include "test_support_impl.h"
