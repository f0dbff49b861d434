#include "core/operations/BackupRun.h"

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/base/Format.h"
#include "core/document/BrackenholdDoc.h"
#include "core/operations/DocumentCommands.h"
#include "core/operations/PendingCopies.h"
#include "core/operations/SharedArchives.h"
#include "core/operations/StatusQueryPool.h"
#include "core/ports/ListRows.h"
#include "core/ports/MessageBoxFlags.h"

namespace bh {

namespace {

const char* WasWord(unsigned count) {
    return count == 1 ? "File was" : "Files were";
}

const char* HasWord(unsigned count) {
    return count == 1 ? "File has" : "Files have";
}

// Save As rebuilds the rows from the entries, which drops their selection; a Backup Selected
// of an untitled manager would then skip every row. The selection is carried over by entry.
bool SaveAsKeepingSelection(CBrackenholdDoc& doc) {
    ListRows& rows = doc.rows();
    std::unordered_set<const CFileEntry*> selected;
    for (int row = rows.NextSelected(-1); row >= 0; row = rows.NextSelected(row)) {
        selected.insert(&rows.Entry(row));
    }
    const bool saved = OnFileSaveAs(doc);
    if (!selected.empty()) {
        for (int row = 0; row < rows.Count(); ++row) {
            if (selected.contains(&rows.Entry(row)) && !rows.IsSelected(row)) {
                rows.SetSelected(row, true);
            }
        }
    }
    return saved && !doc.PathName().empty();
}

// The refresh's queries on worker threads, in the order the loop below takes them; null when
// they are better made on this thread.
std::unique_ptr<StatusQueryPool> StartRefreshQueries(const CBrackenholdDoc& doc,
                                                     std::vector<const CFileEntry*>& targets) {
    const ListRows& rows = doc.rows();
    const int count = rows.Count();
    const std::size_t evaluated =
        doc.selectedOnly ? static_cast<std::size_t>(rows.SelectedCount()) : count;
    const int workers = StatusQueryWorkers(doc.services().fileSystem, evaluated);
    if (workers == 0) {
        return nullptr;
    }
    targets.reserve(evaluated);
    for (int row = 0; row < count; ++row) {
        if (!doc.selectedOnly || rows.IsSelected(row)) {
            targets.push_back(&rows.Entry(row));
        }
    }
    return std::make_unique<StatusQueryPool>(
        doc.services().fileSystem, targets.size(),
        [&targets](std::size_t i) -> StatusQueryPaths {
            return {&targets[i]->sourcePath, &targets[i]->archivePath};
        },
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

bool RefreshStatus(CBrackenholdDoc& doc) {
    ListRows& rows = doc.rows();
    const int count = rows.Count();
    if (count == 0) {
        return true;
    }
    UserInterface& ui = doc.services().ui;
    FileSystem& fileSystem = doc.services().fileSystem;
    ui.BeginWaitCursor();
    std::unique_ptr<ProgressIndicator> progress =
        ui.CreateStatusProgress(kCheckingCaption, -1, 10, -1, 1);
    progress->SetRange(0, count);
    progress->SetStep(1);
    progress->AllowCancel();
    // The rows' entries in the order the loop evaluates them, for the workers.
    std::vector<const CFileEntry*> targets;
    std::unique_ptr<StatusQueryPool> pool = StartRefreshQueries(doc, targets);
    std::size_t next = 0;
    bool stopped = false;
    for (int row = 0; row < count; ++row) {
        if (progress->CancelRequested()) {
            stopped = true;
            break;
        }
        if (!doc.selectedOnly || rows.IsSelected(row)) {
            if (pool && next < pool->Count()) {
                ApplyPooledStatus(rows.Entry(row), pool->Result(next++));
            } else {
                rows.Entry(row).EvaluateStatus(fileSystem);
            }
            rows.UpdateRowTexts(row);
        }
        progress->StepIt();
    }
    pool.reset();
    MarkSharedArchives(rows);
    ui.ShowIdleMessage();
    progress.reset();
    ui.EndWaitCursor();
    return !stopped;
}

void OnRefreshAll(CBrackenholdDoc& doc) {
    RefreshStatus(doc);
}

BackupResult RunBackup(CBrackenholdDoc& doc, const BackupOptions& options) {
    BackupResult result;
    ListRows& rows = doc.rows();
    if (rows.Count() == 0) {
        return result;
    }
    if (!options.dryRun && doc.PathName().empty() && !SaveAsKeepingSelection(doc)) {
        return result;
    }
    // A refresh the user stopped stops the run: nothing is copied, every row is skipped.
    bool stopped = !RefreshStatus(doc);

    UserInterface& ui = doc.services().ui;
    FileSystem& fileSystem = doc.services().fileSystem;
    const int count = rows.Count();
    BackupCounts& counts = result.counts;
    counts.total = static_cast<unsigned>(count);
    ui.BeginWaitCursor();
    std::unique_ptr<ProgressIndicator> progress =
        ui.CreateStatusProgress(kBackingUpCaption, -1, 10, -1, 1);
    progress->SetRange(0, count);
    progress->SetStep(1);
    progress->AllowCancel();
    PendingCopies copies(rows, fileSystem, counts);
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
        } else if (doc.selectedOnly && !rows.IsSelected(row)) {
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
        progress->StepIt();
    }
    // A cancel lets the copies already queued finish: each is made whole or not at all.
    copies.Flush();
    progress->SetPos(0);
    progress.reset();
    ui.EndWaitCursor();
    ui.ShowIdleMessage();

    if (counts.backedUp > 0 && !options.dryRun) {
        result.saveFailed = !OnFileSave(doc);
    }
    result.ran = true;
    result.cancelled = stopped;
    return result;
}

void OnBackupAll(CBrackenholdDoc& doc) {
    const BackupResult result = RunBackup(doc);
    if (!result.ran || doc.autoBackupRun) {
        return;
    }
    doc.services().ui.MessageBox(ReportText(result.counts), kReportCaption,
                                 kMbOk | kMbIconInformation);
}

void OnBackupSelected(CBrackenholdDoc& doc) {
    doc.selectedOnly = true;
    OnBackupAll(doc);
    doc.selectedOnly = false;
}

}  // namespace bh
