#include "core/operations/ManagerStream.h"

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "core/base/PathParts.h"
#include "core/base/ProgressScope.h"
#include "core/document/FileEntry.h"
#include "core/document/ManagerList.h"
#include "core/document/ManagerRecordStream.h"
#include "core/operations/ManagerFile.h"
#include "core/operations/SharedArchives.h"
#include "core/operations/StatusQueryPool.h"

namespace bh {

namespace {

// How much of the file is read at once.
constexpr std::size_t kReadPartBytes = std::size_t{1} << 20;

// Four bytes per entry are what the first pass keeps: entries whose archives share no hash
// cannot share an archive, and the few that do are compared exactly.
using ArchiveHash = std::uint32_t;

ArchiveHash HashOfArchive(const std::string& archivePath) {
    return static_cast<ArchiveHash>(std::hash<std::string>{}(ComparablePath(archivePath)));
}

// The entries that may share an archive, by record index, evaluated and marked.
using SharedCandidates = std::map<std::size_t, std::unique_ptr<CFileEntry>>;

// One pass over the file's records.
class RecordPass {
  public:
    explicit RecordPass(FileReader& file) : reader_(file, kReadPartBytes), stream_(reader_) {}

    ManagerReadStatus Start() { return stream_.Start(); }
    std::uint32_t Count() const { return stream_.Count(); }
    bool AtEnd() const { return stream_.AtEnd(); }
    ManagerReadStatus Next(ManagerRecord& record) { return stream_.Next(record); }
    ErrorCode ReadError() const { return reader_.ReadError(); }

  private:
    ManagerFieldReader reader_;
    ManagerRecordStream stream_;
};

ManagerStreamResult Failed(Services& services, const RecordPass& pass, ManagerReadStatus status) {
    ShowOpenFailure(services.ui, FailedLoad(services, status, pass.ReadError()));
    return ManagerStreamResult::OpenFailed;
}

// Checks the whole file and gives the archive hashes that occur more than once, sorted.
ManagerReadStatus CheckFile(RecordPass& pass, std::vector<ArchiveHash>& repeated) {
    if (auto s = pass.Start(); s != ManagerReadStatus::Ok) {
        return s;
    }
    std::vector<ArchiveHash> hashes;
    hashes.reserve(pass.Count());
    ManagerRecord record;
    while (!pass.AtEnd()) {
        if (auto s = pass.Next(record); s != ManagerReadStatus::Ok) {
            return s;
        }
        hashes.push_back(HashOfArchive(record.archivePath));
    }
    std::sort(hashes.begin(), hashes.end());
    for (std::size_t i = 1; i < hashes.size(); ++i) {
        if (hashes[i] == hashes[i - 1] && (repeated.empty() || repeated.back() != hashes[i])) {
            repeated.push_back(hashes[i]);
        }
    }
    return ManagerReadStatus::Ok;
}

// Evaluates the entries whose archive hash is repeated and marks those that share an archive.
ManagerReadStatus EvaluateCandidates(Services& services, const std::vector<ArchiveHash>& repeated,
                                     RecordPass& pass, SharedCandidates& candidates) {
    if (auto s = pass.Start(); s != ManagerReadStatus::Ok) {
        return s;
    }
    ManagerRecord record;
    for (std::size_t index = 0; !pass.AtEnd(); ++index) {
        if (auto s = pass.Next(record); s != ManagerReadStatus::Ok) {
            return s;
        }
        if (std::binary_search(repeated.begin(), repeated.end(),
                               HashOfArchive(record.archivePath))) {
            candidates[index] = std::make_unique<CFileEntry>(
                std::move(record.sourcePath), std::move(record.archivePath),
                std::move(record.notes), services.shell, services.fileSystem);
        }
    }
    std::vector<CFileEntry*> entries;
    entries.reserve(candidates.size());
    for (auto& [index, entry] : candidates) {
        entries.push_back(entry.get());
    }
    MarkSharedArchives(entries);
    return ManagerReadStatus::Ok;
}

// The next batch's records; false at a failure, which `status` tells.
bool ReadBatch(RecordPass& pass, std::size_t batchSize, std::vector<ManagerRecord>& records,
               ManagerReadStatus& status) {
    records.clear();
    while (!pass.AtEnd() && records.size() < batchSize) {
        records.emplace_back();
        status = pass.Next(records.back());
        if (status != ManagerReadStatus::Ok) {
            return false;
        }
    }
    return true;
}

// Makes the batch's entries, querying their status on the pool when it pays, in record order.
void EvaluateBatch(Services& services, std::vector<ManagerRecord>& records, std::size_t firstRow,
                   SharedCandidates& candidates, ManagerList& list, ProgressScope& progress) {
    std::unique_ptr<StatusQueryPool> pool = StartRecordQueries(services.fileSystem, records);
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (auto candidate = candidates.find(firstRow + i); candidate != candidates.end()) {
            list.Append(std::move(candidate->second));
            candidates.erase(candidate);
        } else {
            ManagerRecord& record = records[i];
            // The worker is done with the record's paths once its result is known.
            list.Append(pool ? std::make_unique<CFileEntry>(
                                   std::move(record.sourcePath), std::move(record.archivePath),
                                   std::move(record.notes), services.shell, pool->Result(i))
                             : std::make_unique<CFileEntry>(
                                   std::move(record.sourcePath), std::move(record.archivePath),
                                   std::move(record.notes), services.shell, services.fileSystem));
        }
        progress.Step();
    }
}

}  // namespace

ManagerStreamResult StreamManagerFile(Services& services, const std::string& path,
                                      std::int32_t dateMode, std::size_t batchSize,
                                      const ManagerBatchFn& onBatch) {
    std::unique_ptr<FileReader> file;
    if (const ErrorCode error = services.fileSystem.OpenForReading(path, file)) {
        ShowOpenFailure(services.ui, FailedLoad(services, ManagerReadStatus::ReadFailed, error));
        return ManagerStreamResult::OpenFailed;
    }
    if (file->Size() == 0) {
        return ManagerStreamResult::Done;
    }
    std::vector<ArchiveHash> repeated;
    {
        RecordPass check(*file);
        if (auto s = CheckFile(check, repeated); s != ManagerReadStatus::Ok) {
            return Failed(services, check, s);
        }
    }
    SharedCandidates candidates;
    if (!repeated.empty()) {
        RecordPass pass(*file);
        if (auto s = EvaluateCandidates(services, repeated, pass, candidates);
            s != ManagerReadStatus::Ok) {
            return Failed(services, pass, s);
        }
    }
    RecordPass pass(*file);
    if (auto s = pass.Start(); s != ManagerReadStatus::Ok) {
        return Failed(services, pass, s);
    }
    if (pass.Count() == 0) {
        services.ui.ShowIdleMessage();
        return ManagerStreamResult::Done;
    }
    ProgressScope progress(services.ui, kLocatingCaption, static_cast<int>(pass.Count()));
    std::vector<ManagerRecord> records;
    batchSize = std::max<std::size_t>(batchSize, 1);
    for (std::size_t firstRow = 0; !pass.AtEnd(); firstRow += records.size()) {
        ManagerReadStatus status = ManagerReadStatus::Ok;
        if (!ReadBatch(pass, batchSize, records, status)) {
            return Failed(services, pass, status);
        }
        ManagerList list(services.clock);
        list.SetDateMode(dateMode);
        EvaluateBatch(services, records, firstRow, candidates, list, progress);
        if (!onBatch(list, firstRow)) {
            return ManagerStreamResult::Stopped;
        }
    }
    return ManagerStreamResult::Done;
}

}  // namespace bh
