// Start-up: the command line, the xboard handshake, the speed measurement and the fixed order
// in which tables, caches, the initial position and the consistency check come to exist.
#pragma once

#include <cstdint>

constexpr uint32_t MODE_TEXT = 1;
constexpr uint32_t MODE_XBOARD = 2;

extern uint32_t mode_flags;          // MODE_TEXT or MODE_XBOARD once start-up has run
extern uint32_t hash_budget;         // megabytes
extern int32_t estimated_cpu_speed;  // hundredths of kernel blocks per second

inline bool text_mode() { return mode_flags == MODE_TEXT; }

// The speed figure; the kernel's last w13 goes to *sink so its work cannot be discarded.
int32_t mesure_vitesse_cpu(int multiplier, int32_t* sink);

// The whole program: returns the process status (0, or -1 when a cache cannot be allocated).
int quarvelin_main(int argc, char** argv);
