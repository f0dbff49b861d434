#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/ports/FileSystem.h"
#include "platform/posix/PosixFileOps.h"
#include "platform/posix/PosixQueryThreads.h"

namespace bh {

// The file system of a POSIX system. Copies and saves go through a temporary file in the
// destination's folder that is flushed to the disk and renamed into place, so a failure or a
// power cut never damages the previous file. Paths are walked with posix::HoldEntry: a
// symbolic link another user made is never followed, and a folder once walked is held, so
// that what is planted in a folder others can write cannot redirect a read, write or removal.
class PosixFileSystem : public FileSystem {
  public:
    // How a copy flushes its data: Full starts the write-out as the data is copied, flushes the
    // file before the rename and the folder after it. The others exist only so that a
    // measurement can show what the flush costs; the program always uses Full.
    enum class CopyFlush { Full, WithoutEarlyWriteBack, None };

    ErrorCode GetAttributes(const std::string& path, FileAttributes& out) override;
    // stat keeps no state and errno is per thread, so any number of threads may ask. What
    // helps is the limit: on a local disk the cores (more threads only queue for them; 1
    // means no pool), on a network folder posix::kNetworkQueryThreads, decided by
    // PlanQueries from the sample of the manager's paths (the cores until it is told).
    int ConcurrentQueries() const override { return queryThreads_; }
    void PlanQueries(const std::vector<std::string>& samplePaths) override;
    PathKind Lookup(const std::string& path) override;
    ErrorCode Copy(const std::string& from, const std::string& to, bool failIfExists) override;
    ErrorCode Remove(const std::string& path) override;
    ErrorCode CreateEmpty(const std::string& path) override;
    ErrorCode ReadAll(const std::string& path, std::string& bytes) override;
    ErrorCode OpenForReading(const std::string& path, std::unique_ptr<FileReader>& out) override;
    ErrorCode WriteAtomicallyFrom(const std::string& path, const ChunkSource& source) override;
    ErrorCode ListFolder(const std::string& folder, std::vector<FolderItem>& items) override;
    ErrorCode CreateFolders(const std::string& path) override;
    ErrorCode MoveWithoutReplacing(const std::string& from, const std::string& to) override;
    bool IsSameFile(const std::string& a, const std::string& b) override;
    std::size_t PathLimitBytes() const override;
    ErrorCode PathTooLongError() const override;

    // For measurements only (see CopyFlush).
    void SetCopyFlushForMeasurements(CopyFlush flush) { copyFlush_ = flush; }

    // For tests only: called in every attempt of a copy after the data was copied and before
    // the source is examined again, with the source path, so that a test can change the
    // source while it is being copied.
    void SetAfterDataCopyForTests(std::function<void(const std::string& from)> hook) {
        afterDataCopy_ = std::move(hook);
    }

    // Copies of sources up to kBatchedCopyBytes are flushed together: one flush of every file
    // system they reach before the renames, one after. A larger source gets a flush of its
    // own, which its data costs anyway.
    // The copies of a batch are prepared on a few worker threads (CopyWorkerCount); the
    // results are returned in the requests' order.
    std::vector<ErrorCode> CopyBatch(const std::vector<CopyRequest>& requests) override;

    // What a prepared copy's temporary file holds: the source's size and the file system the
    // file is on.
    struct PreparedFile {
        off_t size = 0;
        dev_t device = 0;
    };
    // Where a copy goes: its folder, walked and held open (shared by the copies of a batch into
    // one folder), and its name in it.
    struct Destination {
        std::shared_ptr<const posix::UniqueFd> folder;
        std::string name;
    };
    // One copy of a batch: its temporary file, and whether it waits for the batch's flush.
    struct BatchedCopy {
        posix::TempFile temp;
        PreparedFile file;
        bool waiting = false;
    };

  private:
    ErrorCode CopyAlone(const std::string& from, const std::string& to, bool failIfExists);
    ErrorCode PrepareCopy(const std::string& from, const Destination& to, bool failIfExists,
                          posix::TempFile& temp, PreparedFile& file);
    ErrorCode PrepareConsistentCopy(const std::string& from, const Destination& to,
                                    bool failIfExists, posix::TempFile& temp, PreparedFile& file);
    ErrorCode PrepareBatchedCopy(const std::string& from, const Destination& to, BatchedCopy& copy);
    ErrorCode FlushAndPublish(posix::TempFile& temp, const Destination& to, bool failIfExists);
    ErrorCode Publish(posix::TempFile& temp, const Destination& to, bool failIfExists);

    int queryThreads_ = posix::QueryThreadsFor({});
    CopyFlush copyFlush_ = CopyFlush::Full;
    std::function<void(const std::string&)> afterDataCopy_;
};

}  // namespace bh
