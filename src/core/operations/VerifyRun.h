#pragma once

#include <string>
#include <vector>

#include "core/operations/VerifyContents.h"
#include "core/ports/ErrorCode.h"

namespace bh {

class CBrackenholdDoc;

inline constexpr const char* kVerifyingCaption = " Verifying files";
inline constexpr const char* kVerifyReportCaption = "Verify Report";
inline constexpr const char* kContentsVerifiedText = "Contents Verified";

// What one verify run found. `total` is the number of selected rows when it started.
struct VerifyCounts {
    unsigned verified = 0;
    unsigned differ = 0;
    unsigned unreadable = 0;   // a read failed, or a file kept changing while it was read
    unsigned notCompared = 0;  // out of date, or a problem already
    unsigned skipped = 0;      // not reached: the user stopped the run
    unsigned total = 0;
};

// A compared row that did not match: which row (0-based), and why.
struct VerifyProblem {
    int row = 0;
    ContentsVerdict verdict = ContentsVerdict::Differ;
    ErrorCode error = kNoError;
};

struct VerifyResult {
    bool ran = false;  // false when no row was selected
    bool cancelled = false;
    VerifyCounts counts;
    std::vector<VerifyProblem> problems;  // in row order
};

// The report's text, worded as the backup's: a line per count, the rule, the total.
std::string VerifyReportText(const VerifyCounts& counts);

// Compares the archive of every selected row that is up to date with its source, byte for
// byte, in display order. The selected rows are evaluated first (unless the document's
// EvaluationStamp is fresh), with the status refresh's progress; then the " Verifying files"
// progress, which the user can stop between two rows (the rest count as skipped). A match
// stays green with "Contents Verified" in its Results column; other bytes turn the entry red
// with "Contents Differ" (when it is still up to date by size and time after the read, else it
// is shown out of date and counted as not compared); a read that fails, or files that keep
// changing, turn it red with the reason. Out-of-date and problem rows are counted and left as
// they are. Nothing on disk changes, the selection stays, the manager is not modified.
VerifyResult RunVerify(CBrackenholdDoc& doc);

// Verify Selected: the run, then the "Verify Report" box.
void OnVerifySelected(CBrackenholdDoc& doc);

}  // namespace bh
