#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/base/PathParts.h"
#include "core/ports/ErrorCode.h"

namespace bh {

class CBrackenholdDoc;
class CFileEntry;

inline constexpr const char* kRestoringCaption = "Restoring Files, Please Wait";
inline constexpr const char* kRestoredText = "Restored";
inline constexpr const char* kRestoreFailedText = "Restore Failed";
inline constexpr int kMaxSourceCopies = 99;

// How one restored row ended. `row` is the 0-based row index; `resultText` is what its
// Results column shows ("Restored", "Restored, Source Copy = NAME" or "Restore Failed").
// `error` is why the row was not restored (kNoError when it was); `copyError` why its
// requested source copy could not be made (kNoError when it was made or not requested).
struct RestoredRow {
    int row = 0;
    bool restored = false;
    std::string resultText;
    ErrorCode error = kNoError;
    ErrorCode copyError = kNoError;
};

struct RestoreOutcome {
    int selected = 0;  // selected rows when the restore started
    int restored = 0;
    int copies = 0;   // copies kept (only those of successful restores)
    int skipped = 0;  // selected rows not reached because the user stopped the run
    std::vector<RestoredRow> rows;
};

// "Restore %d File%c": 's' for any count but 1, a blank for 1.
std::string RestoreCaption(int selectedCount);

// The copy question: "the" for one row, "each" for more.
std::string RestoreQuestionText(int selectedCount);

// The copy name "%s%s%s[copy%d]%s" from drive, folder, name, n and extension.
std::string SourceCopyName(const PathParts& source, int n);

// The closing summary: restored files, then the copies line and the failures line when
// they apply, and after a stopped run the line of the rows it did not reach.
std::string RestoreSummaryText(const RestoreOutcome& outcome);

// Restores every selected row's archive over its source in display order (fail-safe copy),
// first keeping a numbered copy of the source when makeCopies is set. Shows the error boxes
// (Cancel in one silences the rest of the run), writes each row's Results text and shows
// the "Restoring Files, Please Wait" progress. Does not ask the copy question and does not
// show the summary. Changes no entry, no selection and no modified flag. When a requested
// copy cannot be made, the source is restored anyway after the error box (the desktop
// program's way: the user saw the box), or, with restoreWithoutCopy false, left as it is and
// the row counted as a failed restore (for runs where nobody reads the box).
// The user can stop the run between two rows: the row at hand is finished, the rest are left
// untouched (no Results text) and counted as skipped. `onRestored` (may be empty) hears of each
// entry whose archive was just copied over its source.
RestoreOutcome RunRestore(CBrackenholdDoc& doc, bool makeCopies, bool restoreWithoutCopy = true,
                          const std::function<void(const CFileEntry&)>& onRestored = {});

// The same restore of the selected rows from another file than their archive (one of its
// kept versions), with the same copies, boxes and Results texts; an empty `fromPath` restores
// from the archives, as RunRestore does.
RestoreOutcome RunRestoreFrom(CBrackenholdDoc& doc, const std::string& fromPath, bool makeCopies,
                              bool restoreWithoutCopy = true);

// The copy question (Cancel ends it), the restore of the selected rows from their archives or,
// when `fromPath` is not empty, from that file, then the summary box.
void AskAndRestore(CBrackenholdDoc& doc, const std::string& fromPath);

// Restore Selected: the copy question (Cancel ends it), the restore, then the summary box.
void OnRestoreSelected(CBrackenholdDoc& doc);

}  // namespace bh
