// STUB: replaced by the platform layer.
#include "platform/platform.h"
int64_t now_ms() { return 0; }
int64_t calendar_seconds() { return 0; }
bool stdin_is_terminal() { return false; }
bool input_waiting() { return false; }
bool key_pressed() { return false; }
int read_key() { return -1; }
void ignore_interrupt_signal() {}
