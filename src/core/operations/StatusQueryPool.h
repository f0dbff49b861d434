#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/document/FileEntry.h"
#include "core/document/ManagerFileFormat.h"

namespace bh {

class FileSystem;

// The most worker threads a pool starts, whatever the file system allows: a network folder
// answers each query after a round trip, so a few threads pay off there even on one core;
// more would only crowd the server. On a local disk the file system allows the cores.
inline constexpr int kMaxStatusWorkers = 8;
// Below this many evaluations the threads cost more than they save.
inline constexpr std::size_t kMinPooledQueries = 256;

// Two paths whose status is wanted, borrowed from their owner.
struct StatusQueryPaths {
    const std::string* source = nullptr;
    const std::string* archive = nullptr;
};

// Runs QueryEntryStatus for queries 0..count-1 on worker threads, in blocks taken in order,
// while the calling thread takes the results in order with Result(). Workers only query the
// file system into result slots; whatever the user sees is done by the caller. Workers stay
// at most a fixed window of results ahead of the caller, so the memory used does not grow
// with the number of queries.
class StatusQueryPool {
  public:
    // Gives the paths of one query. Called from the worker threads, each index once; the
    // paths must stay unchanged until Result() has returned that index's status.
    using PathsOf = std::function<StatusQueryPaths(std::size_t index)>;

    // Starts `workers` threads (at least one) at once.
    StatusQueryPool(FileSystem& fileSystem, std::size_t count, PathsOf pathsOf, int workers);
    // Stops the workers after their current block and waits for them.
    ~StatusQueryPool();
    StatusQueryPool(const StatusQueryPool&) = delete;
    StatusQueryPool& operator=(const StatusQueryPool&) = delete;

    std::size_t Count() const { return count_; }
    // The status of query `index`, waiting until it is known. Indices are asked in increasing
    // order; the reference is good until the next call.
    const EntryStatus& Result(std::size_t index);

  private:
    static constexpr std::size_t kBlockSize = 64;
    static constexpr std::size_t kWindowBlocks = 32;

    void Work();
    bool WaitForSlot(std::size_t block);

    FileSystem& fileSystem_;
    const std::size_t count_;
    const std::size_t blocks_;
    PathsOf pathsOf_;
    std::vector<EntryStatus> results_;
    // Block number + 1 of the block whose results a window slot holds.
    std::array<std::atomic<std::size_t>, kWindowBlocks> ready_{};
    // Blocks the caller is done with; slots of blocks below consumed_ + kWindowBlocks are free.
    std::atomic<std::size_t> consumed_{0};
    std::atomic<std::size_t> nextBlock_{0};
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

// How many workers a pool should use for `count` evaluations whose paths `pathsOf` gives: 0
// means evaluate on the calling thread (a file system that must not be called from several
// threads, one that gains nothing from more, or too little work). The file system is first
// told a sample of the paths (PlanQueries: those of the first, middle and last evaluation),
// so that it answers for the folders this manager uses, once per pool rather than per query.
int StatusQueryWorkers(FileSystem& fileSystem, std::size_t count,
                       const StatusQueryPool::PathsOf& pathsOf);

// A pool querying the records' source and archive paths in order, or null when they are
// better queried on the calling thread (StatusQueryWorkers). The records' paths must stay
// unchanged until each record's result has been taken.
std::unique_ptr<StatusQueryPool> StartRecordQueries(FileSystem& fileSystem,
                                                    const std::vector<ManagerRecord>& records);

}  // namespace bh
