// Byte-wise assembly of command lines from standard input (the descriptor is read directly, so
// a later poll sees exactly what is left).
#include "frontend/line_input.h"

#include "platform/platform.h"

int gather_line(LineReader& r, bool wait)
{
    int bytes = 0;
    while (!r.complete && !r.ended && (wait || input_waiting())) {
        const int c = read_input_byte();
        if (c < 0) {
            // A last line without its newline is still a line; an empty one is nothing.
            r.ended = true;
            if (r.length > 0 && r.text[r.length - 1] == '\r') --r.length;
            if (r.length > 0 || r.discarding) r.complete = true;
            r.discarding = false;
            break;
        }
        ++bytes;
        if (c == '\n') {
            // A CR LF line end (from an interface on another system) is a line end too.
            if (r.length > 0 && r.text[r.length - 1] == '\r') --r.length;
            r.complete = true;
            r.discarding = false;
        } else if (r.length < r.size - 1) {
            r.text[r.length++] = static_cast<char>(c);
        } else {
            r.discarding = true;
        }
    }
    r.text[r.length] = '\0';
    return bytes;
}

void clear_line(LineReader& r)
{
    r.length = 0;
    r.complete = false;
    r.text[0] = '\0';
}
