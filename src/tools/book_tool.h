// The book builder's command line, `quarvelin-book -o OUTPUT [options] INPUT...`: opening lists
// and PGN files in, one `bibli.bok` out, written only when every input was read without error.
#pragma once

// Runs the builder on the engine's tables (built by the caller) and returns the exit status:
// 0 when the book was written, 1 for a bad input or a failed write, 2 for a bad command line.
int book_tool_main(int argc, char** argv);
