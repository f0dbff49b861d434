#include "core/operations/PendingCopies.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "core/base/PathParts.h"
#include "core/document/FileEntry.h"
#include "core/document/ManagerList.h"
#include "core/operations/BackupRun.h"
#include "core/operations/KeptVersions.h"
#include "core/operations/SharedArchives.h"
#include "core/operations/VerifyCopy.h"
#include "core/ports/FileSystem.h"

namespace bh {

namespace {

// Copies in one batch at most, and their bytes: enough to share a flush among many small
// files (each flush waits for the disk, whatever it carries), little enough that the rows are
// redrawn often and a cancel waits for little (a batch of small files takes a fraction of a
// second). A larger source is copied on its own: its data costs more than a flush.
constexpr std::size_t kBatchSize = 1024;
constexpr std::uint64_t kBatchBytes = 32 << 20;
constexpr std::uint64_t kLargeSourceBytes = 1 << 20;

}  // namespace

// The rows of the entries whose source is a file, by the file's keys as the refresh found it:
// its comparable path, which a copy over the file does not change, and its identity, which
// also finds another spelling of it. Made at the first copy: a run that copies nothing pays
// nothing for it.
class PendingCopies::RowsBySource {
  public:
    explicit RowsBySource(const ManagerList& rows) {
        for (int row = 0; row < rows.Count(); ++row) {
            const CFileEntry& entry = rows.Entry(row);
            for (std::string& key : FileKeys(entry.sourceIdentity, entry.sourcePath)) {
                rows_[std::move(key)].push_back(row);
            }
        }
    }

    // The rows whose source is the file one of `keys` names, each once.
    std::vector<int> Find(const std::vector<std::string>& keys) const {
        std::vector<int> found;
        for (const std::string& key : keys) {
            if (const auto rows = rows_.find(key); rows != rows_.end()) {
                found.insert(found.end(), rows->second.begin(), rows->second.end());
            }
        }
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
        return found;
    }

  private:
    std::unordered_map<std::string, std::vector<int>> rows_;
};

PendingCopies::PendingCopies(ManagerList& rows, FileSystem& fileSystem, BackupCounts& counts,
                             std::function<void(const CFileEntry&)> onCopied)
    : rows_(rows), fileSystem_(fileSystem), counts_(counts), onCopied_(std::move(onCopied)) {}

PendingCopies::~PendingCopies() = default;

bool PendingCopies::ReadsPendingArchive(const CFileEntry& entry) const {
    if (pending_.empty()) {
        return false;
    }
    for (const std::string& key : FileKeys(entry.sourceIdentity, entry.sourcePath)) {
        if (pendingArchiveKeys_.contains(key)) {
            return true;
        }
    }
    return false;
}

void PendingCopies::Add(int row) {
    if (!bySource_) {
        bySource_ = std::make_unique<RowsBySource>(rows_);
    }
    const CFileEntry& entry = rows_.Entry(row);
    const bool large = entry.sourceSize > kLargeSourceBytes;
    if (large) {
        Flush();
    }
    for (std::string& key : FileKeys(entry.archiveIdentity, entry.archivePath)) {
        pendingArchiveKeys_.insert(std::move(key));
    }
    pending_.push_back({row, FileKeys(entry.archiveIdentity, entry.archivePath)});
    pendingBytes_ += entry.sourceSize;
    if (large || pending_.size() >= kBatchSize || pendingBytes_ >= kBatchBytes) {
        Flush();
    }
}

void PendingCopies::KeepVersions(int count, const Clock& clock) {
    keepVersions_ = count;
    versions_ = count > 0 ? std::make_unique<KeptVersions>(fileSystem_, clock) : nullptr;
}

void PendingCopies::Flush() {
    if (pending_.empty()) {
        return;
    }
    const std::vector<Pending> done = std::move(pending_);
    pending_.clear();
    pendingArchiveKeys_.clear();
    pendingBytes_ = 0;
    std::vector<std::string> versionPaths(done.size());
    const std::vector<ErrorCode> versionErrors = KeepVersionsOf(done, versionPaths);
    std::vector<FileSystem::CopyRequest> requests;
    requests.reserve(done.size());
    for (std::size_t i = 0; i < done.size(); ++i) {
        if (versionErrors[i] == kNoError) {
            const CFileEntry& entry = rows_.Entry(done[i].row);
            requests.push_back({&entry.sourcePath, &entry.archivePath});
        }
    }
    const std::vector<ErrorCode> results = fileSystem_.CopyBatch(requests);
    std::size_t next = 0;
    for (std::size_t i = 0; i < done.size(); ++i) {
        if (versionErrors[i] != kNoError) {
            RecordVersionFailure(done[i], versionErrors[i]);
            continue;
        }
        const ErrorCode error = results[next++];
        SettleVersion(done[i], error, versionPaths[i]);
        Record(done[i], error);
    }
}

std::vector<ErrorCode> PendingCopies::KeepVersionsOf(const std::vector<Pending>& batch,
                                                     std::vector<std::string>& versionPaths) {
    std::vector<ErrorCode> errors(batch.size(), kNoError);
    if (!versions_) {
        return errors;
    }
    for (std::size_t i = 0; i < batch.size(); ++i) {
        // An archive this run has already replaced holds nothing of the user's past: a
        // second entry copying over it (two rows of one pair) keeps no version of it.
        const auto& keys = batch[i].archiveKeys;
        const bool replaced = std::any_of(keys.begin(), keys.end(), [this](const std::string& key) {
            return replacedArchiveKeys_.contains(key);
        });
        if (!replaced) {
            errors[i] = versions_->Keep(rows_.Entry(batch[i].row).archivePath, versionPaths[i]);
        }
    }
    return errors;
}

void PendingCopies::SettleVersion(const Pending& copy, ErrorCode copyError,
                                  const std::string& versionPath) {
    if (!versions_) {
        return;
    }
    if (copyError == kNoError) {
        replacedArchiveKeys_.insert(copy.archiveKeys.begin(), copy.archiveKeys.end());
    }
    if (versionPath.empty()) {
        return;
    }
    const std::string& archivePath = rows_.Entry(copy.row).archivePath;
    if (copyError != kNoError) {
        // The row reports the failed copy; the archive is back as it was, or, when even
        // that fails, still whole among the versions.
        IgnoreError(versions_->PutBack(versionPath, archivePath));
        return;
    }
    // More versions than wanted only cost space; the next replacement tries again.
    IgnoreError(versions_->Prune(archivePath, keepVersions_));
}

void PendingCopies::Record(const Pending& copy, ErrorCode error) {
    CFileEntry& entry = rows_.Entry(copy.row);
    const bool replaced = error == kNoError;
    if (replaced && verifyCopies_) {
        error = VerifyCopiedArchive(entry, fileSystem_);
    }
    if (error == kNoError) {
        ++counts_.backedUp;
        if (onCopied_) {
            onCopied_(entry);
        }
        entry.EvaluateStatus(fileSystem_);
    } else {
        entry.SetState(EntryState::Problem);
        entry.SetLastErrorCode(error);
        ++counts_.problems;
    }
    rows_.UpdateRowTexts(copy.row);
    rows_.EnsureVisible(copy.row);
    if (replaced) {
        EvaluateChainedSources(copy.archiveKeys);
    }
}

void PendingCopies::RecordVersionFailure(const Pending& copy, ErrorCode error) {
    CFileEntry& entry = rows_.Entry(copy.row);
    entry.SetState(EntryState::Problem);
    entry.SetLastErrorCode(error);
    entry.result = kResultVersionFailed;
    ++counts_.problems;
    rows_.UpdateRowTexts(copy.row);
    rows_.EnsureVisible(copy.row);
}

// After a copy over an archive, evaluates again the entries whose source that archive is, so
// that none of them shows up to date with an archive of the source's previous bytes. Those
// later in the run are then copied in turn; those before it show that they are out of date.
void PendingCopies::EvaluateChainedSources(const std::vector<std::string>& archiveKeys) {
    for (const int row : bySource_->Find(archiveKeys)) {
        CFileEntry& entry = rows_.Entry(row);
        // A shared archive stays a problem: evaluating would clear its mark, and the pass
        // would then copy over it.
        if (entry.LastErrorCode() != kErrorSharedArchive) {
            entry.EvaluateStatus(fileSystem_);
            rows_.UpdateRowTexts(row);
        }
    }
}

}  // namespace bh
