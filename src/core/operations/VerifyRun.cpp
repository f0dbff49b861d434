#include "core/operations/VerifyRun.h"

#include <utility>

#include "core/base/Format.h"
#include "core/base/ProgressScope.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/ManagerList.h"
#include "core/operations/BackupRun.h"
#include "core/ports/MessageBoxFlags.h"

namespace bh {

namespace {

const char* Plural(unsigned count, const char* one, const char* many) {
    return count == 1 ? one : many;
}

// One verify run over the selected rows, with its progress and counts.
class VerifyPass {
  public:
    explicit VerifyPass(CBrackenholdDoc& doc) : doc_(doc), rows_(doc.rows()) {}

    VerifyResult Run() {
        VerifyResult result;
        const int selected = rows_.SelectedCount();
        if (selected == 0) {
            return result;
        }
        result.ran = true;
        result.counts.total = static_cast<unsigned>(selected);
        // A stopped evaluation stops the run: no row is compared.
        bool stopped = !doc_.evaluation().IsFresh() && !RefreshStatus(doc_, true);
        ProgressScope progress(doc_.services().ui, kVerifyingCaption, selected);
        progress.AllowCancel();
        for (int row = 0; row < rows_.Count(); ++row) {
            if (!rows_.IsSelected(row)) {
                continue;
            }
            stopped = stopped || progress.CancelRequested();
            if (stopped) {
                ++result.counts.skipped;
            } else {
                VerifyRow(row, result);
            }
            progress.Step();
        }
        result.cancelled = stopped;
        return result;
    }

  private:
    void VerifyRow(int row, VerifyResult& result) {
        const CFileEntry& entry = std::as_const(rows_).Entry(row);
        if (entry.state != EntryState::UpToDate) {
            ++result.counts.notCompared;
            return;
        }
        FileSystem& fileSystem = doc_.services().fileSystem;
        const ContentsComparison found =
            CompareContents(fileSystem, entry.sourcePath, entry.archivePath);
        switch (found.verdict) {
            case ContentsVerdict::Match:
                ++result.counts.verified;
                rows_.SetResultsText(row, kContentsVerifiedText);
                return;
            case ContentsVerdict::Differ:
                // Files changed since they were evaluated are out of date, not damaged.
                rows_.Entry(row).EvaluateStatus(fileSystem);
                if (entry.state != EntryState::UpToDate) {
                    ++result.counts.notCompared;
                    rows_.UpdateRowTexts(row);
                    return;
                }
                ++result.counts.differ;
                MarkProblem(row, {row, found.verdict, kErrorContentsDiffer}, result);
                return;
            default:
                ++result.counts.unreadable;
                MarkProblem(row, {row, found.verdict, found.error}, result);
                return;
        }
    }

    void MarkProblem(int row, const VerifyProblem& problem, VerifyResult& result) {
        CFileEntry& entry = rows_.Entry(row);
        entry.SetState(EntryState::Problem);
        entry.SetLastErrorCode(problem.error);
        rows_.UpdateRowTexts(row);
        rows_.EnsureVisible(row);
        result.problems.push_back(problem);
    }

    CBrackenholdDoc& doc_;
    ManagerList& rows_;
};

}  // namespace

std::string VerifyReportText(const VerifyCounts& counts) {
    return Format(
        "%u  %s verified.\n\n%u  %s.\n\n%u  %s not be read.\n\n%u  %s not compared. (out of "
        "date or problems)\n\n%u  %s skipped.\n------------------------------------------\n%u  "
        "total files",
        counts.verified, Plural(counts.verified, "File was", "Files were"), counts.differ,
        Plural(counts.differ, "File differs", "Files differ"), counts.unreadable,
        Plural(counts.unreadable, "File could", "Files could"), counts.notCompared,
        Plural(counts.notCompared, "File was", "Files were"), counts.skipped,
        Plural(counts.skipped, "File was", "Files were"), counts.total);
}

VerifyResult RunVerify(CBrackenholdDoc& doc) {
    return VerifyPass(doc).Run();
}

void OnVerifySelected(CBrackenholdDoc& doc) {
    const VerifyResult result = RunVerify(doc);
    if (!result.ran) {
        return;
    }
    doc.services().ui.MessageBox(VerifyReportText(result.counts), kVerifyReportCaption,
                                 kMbOk | kMbIconInformation);
}

}  // namespace bh
