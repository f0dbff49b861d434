#include "core/operations/StatusQueryPool.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "core/ports/FileSystem.h"

namespace bh {

int StatusQueryWorkers(FileSystem& fileSystem, std::size_t count,
                       const StatusQueryPool::PathsOf& pathsOf) {
    if (count < kMinPooledQueries) {
        return 0;
    }
    std::vector<std::string> sample;
    for (const std::size_t index : {std::size_t{0}, count / 2, count - 1}) {
        const StatusQueryPaths paths = pathsOf(index);
        sample.push_back(*paths.source);
        sample.push_back(*paths.archive);
    }
    fileSystem.PlanQueries(sample);
    const int allowed = std::min(fileSystem.ConcurrentQueries(), kMaxStatusWorkers);
    return allowed <= 1 ? 0 : allowed;
}

StatusQueryPool::StatusQueryPool(FileSystem& fileSystem, std::size_t count, PathsOf pathsOf,
                                 int workers)
    : fileSystem_(fileSystem),
      count_(count),
      blocks_((count + kBlockSize - 1) / kBlockSize),
      pathsOf_(std::move(pathsOf)),
      results_(std::min(count, kBlockSize * kWindowBlocks)) {
    const std::size_t threads = std::min<std::size_t>(std::max(workers, 1), blocks_);
    threads_.reserve(threads);
    for (std::size_t i = 0; i < threads; ++i) {
        threads_.emplace_back([this] { Work(); });
    }
}

StatusQueryPool::~StatusQueryPool() {
    stop_.store(true);
    // Wakes workers waiting for a free slot; they see stop_ and leave.
    consumed_.store(std::numeric_limits<std::size_t>::max() / 2);
    consumed_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

const EntryStatus& StatusQueryPool::Result(std::size_t index) {
    const std::size_t block = index / kBlockSize;
    if (consumed_.load(std::memory_order_relaxed) < block) {
        consumed_.store(block, std::memory_order_release);
        consumed_.notify_all();
    }
    std::atomic<std::size_t>& ready = ready_[block % kWindowBlocks];
    for (std::size_t seen = ready.load(std::memory_order_acquire); seen != block + 1;
         seen = ready.load(std::memory_order_acquire)) {
        ready.wait(seen, std::memory_order_acquire);
    }
    return results_[(block % kWindowBlocks) * kBlockSize + index % kBlockSize];
}

bool StatusQueryPool::WaitForSlot(std::size_t block) {
    for (;;) {
        const std::size_t consumed = consumed_.load(std::memory_order_acquire);
        if (stop_.load(std::memory_order_relaxed)) {
            return false;
        }
        if (block < consumed + kWindowBlocks) {
            return true;
        }
        consumed_.wait(consumed, std::memory_order_acquire);
    }
}

void StatusQueryPool::Work() {
    for (;;) {
        const std::size_t block = nextBlock_.fetch_add(1, std::memory_order_relaxed);
        if (block >= blocks_ || !WaitForSlot(block)) {
            return;
        }
        const std::size_t first = block * kBlockSize;
        const std::size_t end = std::min(count_, first + kBlockSize);
        EntryStatus* slot = &results_[(block % kWindowBlocks) * kBlockSize];
        for (std::size_t i = first; i < end; ++i) {
            const StatusQueryPaths paths = pathsOf_(i);
            slot[i - first] = QueryEntryStatus(*paths.source, *paths.archive, fileSystem_);
        }
        std::atomic<std::size_t>& ready = ready_[block % kWindowBlocks];
        ready.store(block + 1, std::memory_order_release);
        ready.notify_all();
    }
}

std::unique_ptr<StatusQueryPool> StartRecordQueries(FileSystem& fileSystem,
                                                    const std::vector<ManagerRecord>& records) {
    StatusQueryPool::PathsOf pathsOf = [&records](std::size_t i) -> StatusQueryPaths {
        return {&records[i].sourcePath, &records[i].archivePath};
    };
    const int workers = StatusQueryWorkers(fileSystem, records.size(), pathsOf);
    if (workers == 0) {
        return nullptr;
    }
    return std::make_unique<StatusQueryPool>(fileSystem, records.size(), std::move(pathsOf),
                                             workers);
}

}  // namespace bh
