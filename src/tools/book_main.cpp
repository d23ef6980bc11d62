// The book builder's entry point: the engine's static tables are built first, since every
// position the builder plays rests on them; then the builder runs and its status is returned.
#include "core/tables.h"
#include "tools/book_tool.h"

int main(int argc, char** argv)
{
    init_static_tables();
    return book_tool_main(argc, argv);
}
