// The commands that may also arrive while the engine thinks: the settings handler (clocks,
// search limits, draw value, operator time, status and evaluation displays) and the test that
// tells the poll which of the other commands must stop a search to be performed.
#pragma once

#include <cstdint>

// Names of the time-control modes, indexed by mode (0..5).
extern const char* const time_control_names[6];

// Performs a settings command and returns 1, or returns 0 when the line is none of them.
// Prefix commands whose number cannot be read keep the previous setting.
int settings_command(const char* line);
// Gives the clocks last reported by "time" (the engine's) and "otim" (its opponent's) to the
// colours the engine and its opponent play now, the engine playing `engine_side` (+1/-1); each
// report is used once. Called as a search starts: the colours may have changed since the report.
void apply_reported_clocks(int engine_side);
// 1 when the line is exactly one of the commands that must stop a ponder or analysis search.
int interrupting_command(const char* line);

// The status block: clock mode, depths, book, draw value, pondering, game state, operator time.
void display_status();
// The evaluation breakdown: raw material, material balance, evaluation, lazy bounds, the best
// exchange of each side and each king's safety.
void print_evaluation_line();
