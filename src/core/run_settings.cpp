// Storage and initial values of the process-wide settings: xboard mode until the command line
// or the handshake says otherwise, and no speed figure until start-up has measured one.
#include "core/run_settings.h"

uint32_t mode_flags = MODE_XBOARD;
int32_t estimated_cpu_speed = 0;
