// One-time initialisation of the engine for the test processes.
#include "test_support.h"

#include "core/setup.h"
#include "core/tables.h"
#include "eval/bitbases.h"
#include "frontend/startup.h"
#include "search/hash.h"

void engine_init_for_tests()
{
    static bool done = false;
    if (done) return;
    done = true;
    mode_flags = MODE_XBOARD;  // keeps the text-mode reports quiet
    if (allocate_caches(uint64_t{16} << 20) != 0) std::abort();
    init_static_tables();
    init_bitbases();
    capture_stdout([] { nouvelle_partie(); });
}

int setup_fen(const std::string& fen)
{
    engine_init_for_tests();
    int result = 0;
    capture_stdout([&] { result = lit_fen(fen.c_str()); });
    return result;
}
