#include "core/operations/BackupRun.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/base/Format.h"
#include "core/base/ProgressScope.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/ManagerList.h"
#include "core/operations/DocumentCommands.h"
#include "core/operations/PendingCopies.h"
#include "core/operations/SharedArchives.h"
#include "core/operations/StatusQueryPool.h"
#include "core/ports/Clock.h"
#include "core/ports/MessageBoxFlags.h"

namespace bh {

namespace {

const char* WasWord(unsigned count) {
    return count == 1 ? "File was" : "Files were";
}

const char* HasWord(unsigned count) {
    return count == 1 ? "File has" : "Files have";
}

// Save As remakes the rows, which drops their selection; a Backup Selected of an untitled
// manager would then skip every row. The rows keep their order, so the selection is put back
// by row.
bool SaveAsKeepingSelection(CBrackenholdDoc& doc) {
    ManagerList& rows = doc.rows();
    std::vector<int> selected;
    for (int row = rows.NextSelected(-1); row >= 0; row = rows.NextSelected(row)) {
        selected.push_back(row);
    }
    const bool saved = OnFileSaveAs(doc);
    for (const int row : selected) {
        rows.SetSelected(row, true);
    }
    return saved && !doc.PathName().empty();
}

// The refresh's queries on worker threads, in the order the loop below takes them; null when
// they are better made on this thread.
std::unique_ptr<StatusQueryPool> StartRefreshQueries(const CBrackenholdDoc& doc, bool selectedOnly,
                                                     std::vector<const CFileEntry*>& targets) {
    const ManagerList& rows = doc.rows();
    const int count = rows.Count();
    const std::size_t evaluated =
        selectedOnly ? static_cast<std::size_t>(rows.SelectedCount()) : count;
    if (evaluated < kMinPooledQueries) {
        return nullptr;
    }
    targets.reserve(evaluated);
    for (int row = 0; row < count; ++row) {
        if (!selectedOnly || rows.IsSelected(row)) {
            targets.push_back(&rows.Entry(row));
        }
    }
    StatusQueryPool::PathsOf pathsOf = [&targets](std::size_t i) -> StatusQueryPaths {
        return {&targets[i]->sourcePath, &targets[i]->archivePath};
    };
    FileSystem& fileSystem = doc.services().fileSystem;
    const int workers = StatusQueryWorkers(fileSystem, targets.size(), pathsOf);
    if (workers == 0) {
        targets.clear();
        return nullptr;
    }
    return std::make_unique<StatusQueryPool>(fileSystem, targets.size(), std::move(pathsOf),
                                             workers);
}

}  // namespace

std::string ReportText(const BackupCounts& counts) {
    return Format(
        "%u  %s up to date.\n\n%u  %s backed up.\n\n%u  %s skipped.\n\n%u  %s problems. (see "
        "Results)\n------------------------------------------\n%u  total files",
        counts.upToDate, WasWord(counts.upToDate), counts.backedUp, WasWord(counts.backedUp),
        counts.skipped, WasWord(counts.skipped), counts.problems, HasWord(counts.problems),
        counts.total);
}

bool RefreshStatus(CBrackenholdDoc& doc, bool selectedOnly) {
    ManagerList& rows = doc.rows();
    const int count = rows.Count();
    if (count == 0) {
        return true;
    }
    UserInterface& ui = doc.services().ui;
    FileSystem& fileSystem = doc.services().fileSystem;
    ProgressScope progress(ui, kCheckingCaption, count, ProgressScope::IdleText::First);
    progress.AllowCancel();
    // The rows' entries in the order the loop evaluates them, for the workers.
    std::vector<const CFileEntry*> targets;
    std::unique_ptr<StatusQueryPool> pool = StartRefreshQueries(doc, selectedOnly, targets);
    std::size_t next = 0;
    bool stopped = false;
    for (int row = 0; row < count; ++row) {
        if (progress.CancelRequested()) {
            stopped = true;
            break;
        }
        if (!selectedOnly || rows.IsSelected(row)) {
            if (pool && next < pool->Count()) {
                rows.Entry(row).ApplyStatus(pool->Result(next++));
            } else {
                rows.Entry(row).EvaluateStatus(fileSystem);
            }
            rows.UpdateRowTexts(row);
        }
        progress.Step();
    }
    pool.reset();
    MarkSharedArchives(rows);
    if (!stopped && !selectedOnly) {
        doc.evaluation().Record(doc.services().clock.SteadyMilliseconds());
    }
    return !stopped;
}

void OnRefreshAll(CBrackenholdDoc& doc) {
    RefreshStatus(doc);
}

BackupResult RunBackup(CBrackenholdDoc& doc, const BackupOptions& options) {
    BackupResult result;
    ManagerList& rows = doc.rows();
    if (rows.Count() == 0) {
        return result;
    }
    if (!options.dryRun && doc.PathName().empty() && !SaveAsKeepingSelection(doc)) {
        return result;
    }
    // An evaluation of every row that finished moments ago, with no row changed since (see
    // EvaluationStamp), stands for the refresh: a command-line backup has just opened the
    // manager, and evaluating again would double every query for nothing. A refresh the user
    // stopped stops the run: nothing is copied, every row is skipped.
    bool stopped = !doc.evaluation().IsFresh() && !RefreshStatus(doc, options.selectedOnly);

    UserInterface& ui = doc.services().ui;
    FileSystem& fileSystem = doc.services().fileSystem;
    const int count = rows.Count();
    BackupCounts& counts = result.counts;
    counts.total = static_cast<unsigned>(count);
    std::optional<ProgressScope> progress;
    progress.emplace(ui, kBackingUpCaption, count);
    progress->AllowCancel();
    PendingCopies copies(rows, fileSystem, counts, options.onCopied);
    copies.KeepVersions(options.keepVersions.value_or(doc.Options().keepVersions),
                        doc.services().clock);
    copies.VerifyEachCopy(options.verifyAfterCopy.value_or(doc.Options().verifyAfterCopy));
    for (int row = 0; row < count; ++row) {
        CFileEntry& entry = rows.Entry(row);
        if (copies.ReadsPendingArchive(entry)) {
            copies.Flush();
        }
        stopped = stopped || progress->CancelRequested();
        if (stopped) {
            ++counts.skipped;
        } else if (entry.state == EntryState::Problem) {
            ++counts.problems;
        } else if (entry.state == EntryState::UpToDate) {
            ++counts.upToDate;
        } else if (options.selectedOnly && !rows.IsSelected(row)) {
            ++counts.skipped;
        } else if (options.dryRun) {
            if (options.onWouldCopy) {
                options.onWouldCopy(entry);
            }
            ++counts.backedUp;
        } else {
            copies.Add(row);
        }
        if (rows.IsSelected(row)) {
            rows.SetSelected(row, false);
        }
        progress->Step();
    }
    // A cancel lets the copies already queued finish: each is made whole or not at all.
    copies.Flush();
    progress->SetPos(0);
    progress.reset();

    if (counts.backedUp > 0 && !options.dryRun) {
        result.saveFailed = !OnFileSave(doc);
    }
    result.ran = true;
    result.cancelled = stopped;
    return result;
}

void OnBackupAll(CBrackenholdDoc& doc, const BackupOptions& options) {
    const BackupResult result = RunBackup(doc, options);
    if (!result.ran || options.unattended) {
        return;
    }
    doc.services().ui.MessageBox(ReportText(result.counts), kReportCaption,
                                 kMbOk | kMbIconInformation);
}

void OnBackupSelected(CBrackenholdDoc& doc) {
    BackupOptions options;
    options.selectedOnly = true;
    OnBackupAll(doc, options);
}

}  // namespace bh
