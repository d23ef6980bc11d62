// The helper threads: one pool, its job (the root position as a copy, the main table's view and
// the root moves) written by the main thread only while every helper is idle, and read by the
// helpers only after they took the job under the pool's lock. The stop flag and the node counts
// are the only things the threads share during a think, as relaxed atomics.
#include "search/threads.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "caches/caches.h"
#include "core/position_copy.h"
#include "search/root.h"

QV_THREAD_STATE int32_t helper_number;

namespace {

struct Helper {
    std::thread thread;
    std::atomic<uint64_t> nodes{0};
};

struct Job {
    PositionCopy position;
    MainTableView table;
    Move root_moves[ROOT_LIST_SIZE];
    int32_t root_move_count;
    int32_t max_depth;
};

struct Pool {
    std::mutex lock;
    std::condition_variable wake;  // a new job, or the end
    std::condition_variable idle;  // the last busy helper is done
    uint64_t generation = 0;       // counts the jobs handed out
    int busy = 0;
    bool quit = false;
    int failed = 0;  // helpers whose caches could not be obtained
    std::atomic<bool> stop{false};
    uint64_t budget = 0;
    Job job;
    std::vector<std::unique_ptr<Helper>> helpers;
};

// Made by the first call for more than one thread and kept to the end of the program: an idle
// helper waits on its lock, and ending the program must not wait for them.
Pool* pool = nullptr;

// The helper's share of a think: the job's position on its own record, the shared table, its
// own tables cleared, the main thread's root moves.
void run_job(Helper& self, const Job& job)
{
    self.nodes.store(0, std::memory_order_relaxed);
    load_position(job.position);
    use_main_table(job.table);
    root_moves_only_count = job.root_move_count;
    std::copy_n(job.root_moves, job.root_move_count, root_moves_only);
    think_as_helper(job.max_depth);
}

void helper_main(int number, Helper* self)
{
    helper_number = number;
    const bool ready = allocate_own_caches(pool->budget) == 0;
    std::unique_lock<std::mutex> guard(pool->lock);
    uint64_t seen = pool->generation;  // the jobs before this helper was made are not its own
    if (!ready) ++pool->failed;
    --pool->busy;
    pool->idle.notify_all();
    for (;;) {
        pool->wake.wait(guard, [&] { return pool->quit || pool->generation != seen; });
        if (pool->quit) break;
        seen = pool->generation;
        guard.unlock();
        if (ready) run_job(*self, pool->job);
        guard.lock();
        if (--pool->busy == 0) pool->idle.notify_all();
    }
    guard.unlock();
    free_own_caches();
}

void wait_until_idle()
{
    std::unique_lock<std::mutex> guard(pool->lock);
    pool->idle.wait(guard, [] { return pool->busy == 0; });
}

void end_helpers()
{
    if (pool == nullptr || pool->helpers.empty()) return;
    {
        std::lock_guard<std::mutex> guard(pool->lock);
        pool->quit = true;
    }
    pool->wake.notify_all();
    for (auto& h : pool->helpers) h->thread.join();
    pool->helpers.clear();
    pool->quit = false;
}

}  // namespace

int set_search_threads(int count, uint64_t budget_bytes)
{
#ifdef QUARVELIN_THREAD_STATE
    const int wanted = std::clamp(count, 1, MAX_SEARCH_THREADS) - 1;
#else
    const int wanted = 0 * count;  // the search's state is one set of globals: one thread
#endif
    if (pool == nullptr) {
        if (wanted == 0) return 1;
        pool = new Pool;
    }
    if (static_cast<int>(pool->helpers.size()) == wanted && pool->budget == budget_bytes)
        return wanted + 1;
    end_helpers();
    pool->budget = budget_bytes;
    pool->failed = 0;
    pool->busy = wanted;
    for (int i = 0; i < wanted; ++i) {
        pool->helpers.push_back(std::make_unique<Helper>());
        Helper* h = pool->helpers.back().get();
        h->thread = std::thread(helper_main, i + 1, h);
    }
    wait_until_idle();
    if (pool->failed > 0) {
        end_helpers();
        return 1;
    }
    return wanted + 1;
}

int search_threads()
{
    return pool == nullptr ? 1 : static_cast<int>(pool->helpers.size()) + 1;
}

uint64_t helper_cache_bytes()
{
    if (search_threads() == 1) return 0;
    CachePlan plan;
    plan_caches(pool->budget, &plan);
    uint64_t bytes = 0;
    for (int which = CACHE_MAIN + 1; which < CACHE_COUNT; ++which) bytes += plan.table[which].bytes;
    return bytes;
}

void start_helpers(int max_depth)
{
    if (search_threads() == 1) return;
    Job& job = pool->job;
    save_position(&job.position);
    job.table = main_table_view();
    job.root_move_count = root_count;
    for (int i = 0; i < root_count; ++i) job.root_moves[i] = root_list[i].move;
    job.max_depth = max_depth;
    pool->stop.store(false, std::memory_order_relaxed);
    {
        std::lock_guard<std::mutex> guard(pool->lock);
        pool->busy = static_cast<int>(pool->helpers.size());
        ++pool->generation;
    }
    pool->wake.notify_all();
}

void stop_helpers()
{
    if (search_threads() == 1) return;
    pool->stop.store(true, std::memory_order_relaxed);
    wait_until_idle();
}

uint64_t helper_nodes()
{
    if (pool == nullptr) return 0;
    uint64_t sum = 0;
    for (const auto& h : pool->helpers) sum += h->nodes.load(std::memory_order_relaxed);
    return sum;
}

void clear_helper_nodes()
{
    if (pool == nullptr) return;
    for (const auto& h : pool->helpers) h->nodes.store(0, std::memory_order_relaxed);
}

bool helper_must_stop(uint64_t own_nodes)
{
    pool->helpers[helper_number - 1]->nodes.store(own_nodes, std::memory_order_relaxed);
    return pool->stop.load(std::memory_order_relaxed);
}
