#pragma once

#include <functional>
#include <optional>
#include <string>

namespace bh {

class CBrackenholdDoc;
class CFileEntry;

inline constexpr const char* kCheckingCaption = " Checking file status";
inline constexpr const char* kBackingUpCaption = " Backing up files";
inline constexpr const char* kReportCaption = "Report";

// What one backup run found and did. `total` is the number of rows when the run started.
struct BackupCounts {
    unsigned upToDate = 0;
    unsigned backedUp = 0;
    unsigned skipped = 0;
    unsigned problems = 0;
    unsigned total = 0;
};

// The report's text: one line per count with its singular or plural words, two blanks after
// each number, and a rule of 42 hyphens before the total.
std::string ReportText(const BackupCounts& counts);

// The status refresh: evaluates every row's entry in display order (only the selected rows
// with selectedOnly) and redraws it, with the " Checking file status" progress. Changes no
// flag and shows no message; a complete refresh of every row is recorded in the document's
// EvaluationStamp. Does nothing for an empty list. The user can stop it between two
// rows (the rest keep their status): false when stopped.
bool RefreshStatus(CBrackenholdDoc& doc, bool selectedOnly = false);

// Refresh All: the status refresh of every row.
void OnRefreshAll(CBrackenholdDoc& doc);

struct BackupOptions {
    // Backup Selected: only the selected rows are refreshed and copied, the others skipped.
    bool selectedOnly = false;
    // The timer's run, with nobody at the screen: no "Report" box at the end.
    bool unattended = false;
    // Copies and saves nothing (and skips the Save As of an untitled manager): each
    // out-of-date entry that would be copied is passed to onWouldCopy and counted as backed
    // up, as if its copy had succeeded.
    bool dryRun = false;
    std::function<void(const CFileEntry&)> onWouldCopy;
    // How many replaced archives to keep per archive in this run, instead of the manager's
    // own setting (the command line's --keep-versions).
    std::optional<int> keepVersions;
    // Called with each entry whose archive a real run has just replaced, in row order.
    std::function<void(const CFileEntry&)> onCopied;
    // Verify After Copy for this run only, in place of the manager's own setting.
    std::optional<bool> verifyAfterCopy;
};

struct BackupResult {
    // False when nothing ran: an empty list, or the Save As of an untitled manager was
    // cancelled or failed.
    bool ran = false;
    BackupCounts counts;
    // Something was copied but the manager could not be saved (the save showed its message).
    bool saveFailed = false;
    // The user stopped the run between two files; the rows not reached count as skipped.
    bool cancelled = false;
};

// The backup run without its report: Save As for an untitled manager, the status refresh
// (unless the document's EvaluationStamp is fresh: an open or refresh of every row moments ago
// with no row changed since stands for it), then the copy pass in display order (out-of-date
// entries are copied with a fail-safe copy over their archives and evaluated again; a failed copy
// turns the entry red with the copy's error), every row deselected, and Save when at least one file
// was copied. The user can stop the refresh or the copy pass between two files: the file at hand is
// finished, every row not yet reached counts as skipped, and the manager is still saved when
// something was copied.
BackupResult RunBackup(CBrackenholdDoc& doc, const BackupOptions& options = {});

// Backup All: the run, then the "Report" box unless the run is unattended.
void OnBackupAll(CBrackenholdDoc& doc, const BackupOptions& options = {});

// Backup Selected: Backup All of the selected rows.
void OnBackupSelected(CBrackenholdDoc& doc);

}  // namespace bh
