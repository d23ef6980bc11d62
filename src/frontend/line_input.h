// A command line assembled from standard input byte by byte, so that a search can read what has
// already arrived without ever blocking, and the loop can then finish the same line. Once a line
// is complete nothing more is read onto it until it has been taken.
#pragma once

#include <cstdint>

struct LineReader {
    char* text;        // the line so far, always zero-terminated
    int32_t size;      // bytes of text, terminator included
    int32_t length;    // characters kept so far
    bool complete;     // the line has reached its newline (or the end of the input)
    bool ended;        // standard input has ended or failed: nothing more will come
    bool discarding;   // the line overflowed: bytes are dropped up to its newline
};

// Reads bytes onto the line until its newline: blocking when `wait`, otherwise only while input
// is reported waiting. A line longer than the buffer keeps its first size - 1 characters and
// the rest is dropped up to the newline; at the end of the input a non-empty partial line
// counts as complete. A carriage return ending the line is dropped with it. Returns the number
// of bytes read.
int gather_line(LineReader& r, bool wait);
// Forgets the line (it has been performed).
void clear_line(LineReader& r);
