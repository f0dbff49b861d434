#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/ports/ErrorCode.h"

namespace bh {

class CFileEntry;
class Clock;
class FileSystem;
class KeptVersions;
class ManagerList;
struct BackupCounts;

// The copies of a backup run's copy pass, made a batch at a time so that the file system can
// make many small copies durable with one flush instead of one each. Outcomes are recorded in
// row order, as if each row had been copied when the pass reached it: a copied entry is
// evaluated again, a failed one turns red with the copy's error, and the entries whose source
// is an archive just replaced are evaluated again (a file passed on from folder to folder).
class PendingCopies {
  public:
    // `onCopied` (may be empty) hears of each entry whose copy succeeded, in row order.
    PendingCopies(ManagerList& rows, FileSystem& fileSystem, BackupCounts& counts,
                  std::function<void(const CFileEntry&)> onCopied = {});
    ~PendingCopies();
    PendingCopies(const PendingCopies&) = delete;
    PendingCopies& operator=(const PendingCopies&) = delete;

    // Keeps the last `count` versions of every archive the copies replace (0: none). A version
    // that cannot be kept leaves its archive as it was and the entry a problem, uncopied.
    void KeepVersions(int count, const Clock& clock);

    // Whether the entry reads a file that a pending copy replaces: the pending copies must be
    // made first, so that the entry is judged, and copied, from the new file.
    bool ReadsPendingArchive(const CFileEntry& entry) const;

    // Queues the copy of the row's entry over its archive; makes the batch when it is full.
    void Add(int row);

    // Makes the pending copies and records their outcomes.
    void Flush();

    // Reads each archive again once it is copied and compares it with its source; a copy
    // that does not match is recorded as a failed one (VerifyCopiedArchive).
    void VerifyEachCopy(bool verify) { verifyCopies_ = verify; }

  private:
    class RowsBySource;

    // A queued copy, with its archive's keys as the last look found the file.
    struct Pending {
        int row = 0;
        std::vector<std::string> archiveKeys;
    };

    // Moves the archives of the batch aside as versions; the error of each that could not be.
    std::vector<ErrorCode> KeepVersionsOf(const std::vector<Pending>& batch,
                                          std::vector<std::string>& versionPaths);
    // After the batch's copies: a failed copy gets its archive back, a good one's oldest
    // versions beyond the count go.
    void SettleVersion(const Pending& copy, ErrorCode copyError, const std::string& versionPath);
    void Record(const Pending& copy, ErrorCode error);
    void RecordVersionFailure(const Pending& copy, ErrorCode error);
    void EvaluateChainedSources(const std::vector<std::string>& archiveKeys);

    ManagerList& rows_;
    FileSystem& fileSystem_;
    BackupCounts& counts_;
    std::function<void(const CFileEntry&)> onCopied_;
    std::vector<Pending> pending_;
    std::unordered_set<std::string> pendingArchiveKeys_;
    std::uint64_t pendingBytes_ = 0;
    std::unique_ptr<RowsBySource> bySource_;
    int keepVersions_ = 0;
    std::unique_ptr<KeptVersions> versions_;
    std::unordered_set<std::string> replacedArchiveKeys_;
    bool verifyCopies_ = false;
};

}  // namespace bh
