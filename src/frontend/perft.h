// Move-path counting over the engine's own generators and make/unmake, with the console's
// report. The node counters are statistics shared with the search; the count of moves made is
// make_move's own counter. A run leaves the position as it found it.
#pragma once

#include <cstdint>

extern uint64_t interior_nodes;  // positions whose moves were generated (the root excluded)
extern uint64_t leaf_nodes;      // positions reached at the full depth

// The deepest run the move stack and the ply start table can hold along one path.
constexpr int PERFT_MAX_DEPTH = 32;

// Walks every legal path of `depth` more plies from the position at move-stack height p,
// counting into the counters above.
void perft(int depth, int p);

// Resets the counters, runs perft from the current position and prints the timed report.
// -1 without running when the depth is below 1, or (saying so) beyond PERFT_MAX_DEPTH or deep
// enough to take the game past the last ply record.
int perft_driver(int depth);
