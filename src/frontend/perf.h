// The console's "perf" suite: timed loops over the engine's inner operations on the current
// position, their repetition counts scaled by the machine's estimated speed. The position record
// and its keys are left as they were found; only caches, the move stack and the transposition
// generation (advanced once) keep traces of the run.
#pragma once

// Prints the header, the seventeen benchmark lines in their fixed order and the closing rule.
void run_perf_suite();
