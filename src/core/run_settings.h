// The process-wide settings that start-up fixes before any loop runs: the run mode (which front
// end talks to the user) and the estimated CPU speed. Lower layers only read them: the mode to
// decide whether a console-only message is printed, the speed to space the search's polls.
#pragma once

#include <cstdint>

constexpr uint32_t MODE_TEXT = 1;
constexpr uint32_t MODE_XBOARD = 2;
constexpr uint32_t MODE_UCI = 4;

extern uint32_t mode_flags;          // one of the modes once start-up has run
extern int32_t estimated_cpu_speed;  // hundredths of kernel blocks per second

inline bool text_mode()
{
    return mode_flags == MODE_TEXT;
}

// Under UCI only the protocol's own lines may reach the interface: the lower layers keep their
// console and xboard lines to themselves, and the search reports through its link.
inline bool uci_mode()
{
    return mode_flags == MODE_UCI;
}
