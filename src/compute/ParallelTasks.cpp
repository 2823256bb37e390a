#include "compute/ParallelTasks.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

ComputeThreads ThreadsFor(ComputeThreads threads, long long valueCells)
{
    // Below this a busy machine's delay in starting the second thread outweighs the work it takes.
    constexpr long long parallelFloor = 50'000;
    if (threads != ComputeThreads::Automatic)
        return threads;
    return valueCells >= parallelFloor ? ComputeThreads::Parallel : ComputeThreads::Sequential;
}

void RunTasks(size_t count, ComputeThreads threads, const std::function<void(size_t)>& task)
{
    const size_t cores = std::max(1U, std::thread::hardware_concurrency());
    const size_t workers = threads != ComputeThreads::Sequential ? std::min({ cores, count, size_t(8) }) : 1;
    if (workers <= 1) {
        for (size_t i = 0; i < count; ++i)
            task(i);
        return;
    }

    std::atomic<size_t> next { 0 };
    std::atomic<bool> failed { false };
    std::exception_ptr firstError;
    std::mutex errorLock;
    const auto work = [&] {
        for (size_t i = next++; i < count && !failed; i = next++) {
            try {
                task(i);
            } catch (...) {
                const std::lock_guard lock(errorLock);
                if (!firstError)
                    firstError = std::current_exception();
                failed = true;
            }
        }
    };
    std::vector<std::jthread> helpers;
    helpers.reserve(workers - 1);
    try {
        for (size_t w = 1; w < workers; ++w)
            helpers.emplace_back(work);
    } catch (...) {
        // No thread to spare: this thread does the rest alone.
    }
    work();
    helpers.clear(); // joins
    if (firstError)
        std::rethrow_exception(firstError);
}
