// The book builder's entry point: the engine's tables, then the builder itself.
#include "core/tables.h"
#include "tools/book_tool.h"

int main(int argc, char** argv)
{
    init_static_tables();
    return book_tool_main(argc, argv);
}
