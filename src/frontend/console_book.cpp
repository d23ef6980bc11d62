// The console's entry points into the book tools: the check of every book position to a depth
// of 1..9 plies, the interactive editor and the optimiser. The editor reads standard input
// through the same stdio stream as the console, so a script goes on where the editor left it.
#include "frontend/book_check.h"
#include "frontend/book_editor.h"
#include "frontend/console.h"

void console_book_check(int depth)
{
    chkbk(depth);
}

void console_book_editor()
{
    edit_book();
}

void console_book_optimiser()
{
    optimizebk();
}
