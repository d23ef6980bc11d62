// The thread count setting: parsed, clamped and handed to the search's thread pool, with the
// sentence that says what the helpers cost in memory.
#include "frontend/threads_setting.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "frontend/startup.h"
#include "search/threads.h"

int32_t requested_threads = 1;

namespace {

bool cores_pending = false;

}  // namespace

bool parse_threads_argument(const char* arg, int32_t* count)
{
    if ((arg[0] != 'T' && arg[0] != 't') || arg[1] < '0' || arg[1] > '9') return false;
    // The running value stops growing past the largest count, so no length of digits overflows.
    int64_t value = 0;
    for (const char* p = arg + 1; *p >= '0' && *p <= '9'; ++p)
        value = std::min<int64_t>(value * 10 + (*p - '0'), MAX_SEARCH_THREADS);
    *count = static_cast<int32_t>(std::max<int64_t>(value, 1));
    return true;
}

int apply_search_threads(int32_t count, uint64_t budget_bytes, char* message, int size)
{
    const int wanted = std::clamp<int32_t>(count, 1, MAX_SEARCH_THREADS);
    const int in_place = set_search_threads(wanted, budget_bytes);
    message[0] = '\0';
    if (in_place < wanted)
        std::snprintf(message, static_cast<size_t>(size),
                      "%d search threads could not be started (memory, or a one-thread build): the "
                      "search runs on one",
                      wanted);
    else if (in_place > 1)
        std::snprintf(message, static_cast<size_t>(size),
                      "%d search threads; each of the %d helpers has %llu MB of its own caches",
                      in_place, in_place - 1,
                      static_cast<unsigned long long>(helper_cache_bytes() >> 20));
    return in_place;
}

void note_cores_command(const char* count)
{
    requested_threads =
        static_cast<int32_t>(std::clamp<long long>(std::atoll(count), 1, MAX_SEARCH_THREADS));
    cores_pending = true;
}

void apply_pending_cores()
{
    if (!cores_pending) return;
    cores_pending = false;
    char message[160];
    apply_search_threads(requested_threads, hash_budget_bytes(hash_budget), message,
                         sizeof message);
    if (message[0] != '\0') std::printf("# %s\n", message);
}
