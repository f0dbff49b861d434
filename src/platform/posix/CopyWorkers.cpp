#include "platform/posix/CopyWorkers.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace bh::posix {

namespace {

constexpr unsigned kMaxCopyWorkers = 8;

}  // namespace

unsigned CopyWorkerCount() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxCopyWorkers);
}

void ForEachOnThreads(std::size_t count, unsigned threads,
                      const std::function<void(std::size_t)>& work) {
    std::atomic<std::size_t> next{0};
    const auto drain = [&] {
        for (std::size_t i = next++; i < count; i = next++) {
            work(i);
        }
    };
    const std::size_t helpers =
        threads > 1 && count > 1 ? std::min<std::size_t>(threads, count) - 1 : 0;
    std::vector<std::thread> started;
    started.reserve(helpers);
    for (std::size_t i = 0; i < helpers; ++i) {
        try {
            started.emplace_back(drain);
        } catch (const std::system_error&) {
            // No thread to be had: the threads already started and this one do the rest.
            break;
        }
    }
    drain();
    for (std::thread& thread : started) {
        thread.join();
    }
}

}  // namespace bh::posix
