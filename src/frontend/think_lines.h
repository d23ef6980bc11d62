// The thinking lines of the xboard mode and the text console, made from the search's reports:
// the opening line, the root-move, iteration, fail-high and fail-low lines with their principal
// variation, the clock lines of a move's allocation, the statistics block and the last-height
// diagnostic. UCI has its own reporter; these lines are never printed in UCI mode.
#pragma once

#include <cstdint>

#include "search/search_link.h"

// Whether the lines of a think are shown (the iteration and fail lines are shown in xboard mode
// whatever it says); 1 in a fresh process.
extern int32_t show_thinking;

// The reporter the xboard mode and the console install.
void think_lines_report(const SearchReport& report);

// The principal variation from the transposition table in short notation, checks marked.
void print_pv();
// The statistics block that closes a think in the console.
void print_statistics();
