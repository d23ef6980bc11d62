// Start-up: the command line, the xboard handshake, the speed measurement and the fixed order
// in which tables, caches, the initial position and the consistency check come to exist.
#pragma once

#include <cstdint>

#include "core/run_settings.h"

extern uint32_t hash_budget;  // megabytes

// Largest cache budget accepted on the command line, in megabytes: 64 GiB keeps every cache's
// cell count well inside its 32-bit index mask. A larger number is ignored, never wrapped.
constexpr uint32_t MAX_HASH_MEGABYTES = 65536;

// Reads "H<digits>" or "h<digits>" into *megabytes and answers true; answers false and leaves
// *megabytes alone for any other argument and for a number above MAX_HASH_MEGABYTES.
bool parse_hash_argument(const char* arg, uint32_t* megabytes);
// Reads "B<file>" or "b<file>" into the book file name and answers true (a name too long to
// keep is ignored with a line saying so); false for any other argument.
bool parse_book_argument(const char* arg);
// Sets `mode flags`, `hash budget` and the book file from the arguments after the program name;
// last one wins.
// A budget above the largest is ignored with a line saying so.
void parse_command_line(int argc, char** argv);
// The budget in bytes, computed in 64 bits (4096 MB is already 2^32 bytes).
constexpr uint64_t hash_budget_bytes(uint32_t megabytes)
{
    return uint64_t{megabytes} << 20;
}

// The kernel's division and remainder, truncating toward zero, with fixed answers where the
// machine would trap: x / 0 = 0, x rem 0 = x, INT32_MIN / -1 = INT32_MIN, INT32_MIN rem -1 = 0.
int32_t kernel_quotient(int32_t a, int32_t b);
int32_t kernel_remainder(int32_t a, int32_t b);

// The speed figure; the kernel's last w13 goes to *sink so its work cannot be discarded.
int32_t mesure_vitesse_cpu(int multiplier, int32_t* sink);
// The kernel's w13 after a fixed number of blocks of 24 steps from the seeds: the measurement
// runs the same arithmetic for as many blocks as the clock allows.
int32_t speed_kernel(int32_t blocks);

// Sizes and allocates the five caches, printing each table's report in text mode; 0, or -1
// after printing the message of the table that could not be obtained.
int open_caches(uint64_t budget_bytes);

// What the layers below ask of the front end, installed for the run mode: the displays of the
// consistency check, the book's move and the meaning of input during a search.
void install_front_end_links();

// The loop of the chosen front end; returns when the session ends.
void run_front_end();

// The whole program: returns the process status (0, or -1 when a cache cannot be allocated).
int quarvelin_main(int argc, char** argv);
