#include "platform/posix/CopyWorkers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace bh::posix {
namespace {

// Every index is worked on exactly once, however the threads and the work compare, and the
// call returns only when all of it is done.
TEST(CopyWorkersTest, EveryIndexIsWorkedOnOnceBeforeTheCallReturns) {
    for (const unsigned threads : {0u, 1u, 3u, 64u}) {
        for (const std::size_t count :
             {std::size_t{0}, std::size_t{1}, std::size_t{5}, std::size_t{1000}}) {
            std::vector<std::atomic<int>> calls(count);
            std::mutex mutex;
            std::set<std::thread::id> workers;
            ForEachOnThreads(count, threads, [&](std::size_t i) {
                ++calls[i];
                const std::lock_guard<std::mutex> lock(mutex);
                workers.insert(std::this_thread::get_id());
            });
            for (std::size_t i = 0; i < count; ++i) {
                EXPECT_EQ(calls[i].load(), 1) << i << " of " << count << " on " << threads;
            }
            EXPECT_LE(workers.size(), std::max(threads, 1u));
        }
    }
    EXPECT_GE(CopyWorkerCount(), 1u);
    EXPECT_LE(CopyWorkerCount(), 8u);
}

}  // namespace
}  // namespace bh::posix
