#include "core/operations/BackupRun.h"

#include <memory>
#include <unordered_set>
#include <vector>

#include "core/app/Format.h"
#include "core/app/ListRows.h"
#include "core/app/MessageBoxFlags.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/DocumentCommands.h"

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

// Copies one out-of-date entry and records the outcome in the entry and the counts.
void CopyEntry(CFileEntry& entry, FileSystem& fileSystem, BackupCounts& counts) {
    const ErrorCode error = fileSystem.Copy(entry.sourcePath, entry.archivePath, false);
    if (error == kNoError) {
        ++counts.backedUp;
        entry.EvaluateStatus(fileSystem);
        return;
    }
    entry.textColor = kColorProblem;
    entry.backColor = kColorWhite;
    entry.lastError = error;
    ++counts.problems;
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

void RefreshStatus(CBrackenholdDoc& doc) {
    ListRows& rows = doc.rows();
    const int count = rows.Count();
    if (count == 0) {
        return;
    }
    UserInterface& ui = doc.services().ui;
    FileSystem& fileSystem = doc.services().fileSystem;
    ui.BeginWaitCursor();
    std::unique_ptr<ProgressIndicator> progress =
        ui.CreateStatusProgress(kCheckingCaption, -1, 10, -1, 1);
    progress->SetRange(0, count);
    progress->SetStep(1);
    for (int row = 0; row < count; ++row) {
        if (!doc.selectedOnly || rows.IsSelected(row)) {
            rows.Entry(row).EvaluateStatus(fileSystem);
            rows.UpdateRowTexts(row);
        }
        progress->StepIt();
    }
    ui.ShowIdleMessage();
    progress.reset();
    ui.EndWaitCursor();
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
    RefreshStatus(doc);

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
    for (int row = 0; row < count; ++row) {
        CFileEntry& entry = rows.Entry(row);
        if (entry.textColor == kColorProblem) {
            ++counts.problems;
        } else if (entry.textColor == kColorUpToDate) {
            ++counts.upToDate;
        } else if (doc.selectedOnly && !rows.IsSelected(row)) {
            ++counts.skipped;
        } else if (options.dryRun) {
            if (options.onWouldCopy) {
                options.onWouldCopy(entry);
            }
            ++counts.backedUp;
        } else {
            CopyEntry(entry, fileSystem, counts);
            rows.UpdateRowTexts(row);
            rows.EnsureVisible(row);
        }
        if (rows.IsSelected(row)) {
            rows.SetSelected(row, false);
        }
        progress->StepIt();
    }
    progress->SetPos(0);
    progress.reset();
    ui.EndWaitCursor();
    ui.ShowIdleMessage();

    if (counts.backedUp > 0 && !options.dryRun) {
        result.saveFailed = !OnFileSave(doc);
    }
    result.ran = true;
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
