// The few operating-system services the engine needs: a millisecond monotonic clock, the
// calendar time, a non-blocking test for waiting input on stdin, raw unechoed key reads on a
// terminal, SIGINT ignored and the advice to back large blocks with huge pages. When stdin is not a
// terminal the key functions never block and never consume input.
#pragma once

#include <cstdint>
#include <cstdio>

// Milliseconds from an arbitrary origin, never decreasing.
int64_t now_ms();
// Calendar time in seconds.
int64_t calendar_seconds();

bool stdin_is_terminal();
// True when a read of stdin would not block (pipe, file or terminal): a byte is waiting or the
// input has ended, so that a reader always gets to see the end.
bool input_waiting();
// Reads one byte of stdin straight from the descriptor (nothing is buffered by the library, so
// a later poll sees exactly what is left); blocks until a byte comes. Returns the byte, or -1
// at the end of the input or on a read error.
int read_input_byte();
// True when a key has been pressed on the terminal; always false when stdin is not one.
bool key_pressed();
// Waits for one key on the terminal, unechoed, and returns its code; returns -1 at once when
// stdin is not a terminal (nothing is read then) or when the terminal gives no byte.
int read_key();

void ignore_interrupt_signal();

// Reads the next line of `in` into buffer (size bytes, size >= 1): its first size - 1
// characters are kept and the rest is dropped up to the newline, which is not stored, so the
// next read starts on the next line. A last line without its newline is still a line. False at
// the end of the input (or on a read error) with an empty buffer.
bool read_text_line(std::FILE* in, char* buffer, int size);
// The same, giving up once a line runs past `limit` characters (an endless stream is not a
// text): 1 for a line, 0 at the end of the input, -1 for a line too long (the rest unread).
int read_bounded_line(std::FILE* in, char* buffer, int size, long limit);

// Runs fn with the process's standard output going to a scratch file and copies what it wrote
// into out (size bytes, cut to fit, always terminated). When no scratch file can be made, fn
// runs with the output where it was and out is left empty.
void capture_output(void (*fn)(void*), void* context, char* out, int size);

// The directory of the running executable, with a trailing '/', into out (size bytes); false,
// with out empty, when it cannot be found or does not fit.
bool executable_directory(char* out, int size);

// Starts loading the memory line holding p into the processor's caches without waiting for it.
// The empty statement marked volatile keeps the compiler from judging a caller free of effects
// (a prefetch alone counts as none) and dropping its calls.
inline void prefetch_line(const void* p)
{
    __builtin_prefetch(p);
    asm volatile("" : : "r"(p));
}

// Memory page size of the huge pages asked for large blocks.
constexpr uint64_t HUGE_PAGE_BYTES = uint64_t{2} << 20;
// Advises the kernel to back [block, block + bytes) with huge pages (block aligned on
// HUGE_PAGE_BYTES). Only advice: where the system cannot, nothing changes and nothing is said.
void advise_huge_pages(void* block, uint64_t bytes);
