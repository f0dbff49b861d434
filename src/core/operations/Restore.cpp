#include "core/operations/Restore.h"

#include <optional>
#include <utility>

#include "core/base/ErrorText.h"
#include "core/base/Format.h"
#include "core/base/ProgressScope.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/ManagerList.h"
#include "core/ports/LastError.h"
#include "core/ports/MessageBoxFlags.h"

namespace bh {

namespace {

// One restore run: its counters, the error boxes' caption and whether they still show.
class RestoreRun {
  public:
    RestoreRun(CBrackenholdDoc& doc, bool makeCopies, bool restoreWithoutCopy,
               const std::function<void(const CFileEntry&)>& onRestored, std::string fromPath = {})
        : onRestored_(onRestored),
          fromPath_(std::move(fromPath)),
          rows_(doc.rows()),
          services_(doc.services()),
          makeCopies_(makeCopies),
          restoreWithoutCopy_(restoreWithoutCopy),
          caption_(RestoreCaption(rows_.SelectedCount())) {
        outcome_.selected = rows_.SelectedCount();
    }

    RestoreOutcome Run() {
        progress_.emplace(services_.ui, kRestoringCaption, outcome_.selected);
        progress_->AllowCancel();
        const int count = rows_.Count();
        for (int row = 0; row < count; ++row) {
            if (!rows_.IsSelected(row)) {
                continue;
            }
            if (outcome_.skipped > 0 || progress_->CancelRequested()) {
                ++outcome_.skipped;
            } else {
                RestoreRow(row);
            }
        }
        progress_.reset();
        return outcome_;
    }

  private:
    void RestoreRow(int row) {
        progress_->Step();
        const CFileEntry& entry = rows_.Entry(row);
        const PathParts parts = SplitPath(entry.sourcePath);
        std::string copyName;
        RestoredRow restored{row, false, kRestoreFailedText};
        if (makeCopies_) {
            copyName = MakeSourceCopy(entry, parts, row, restored.copyError);
            if (copyName.empty() && !restoreWithoutCopy_) {
                restored.error = restored.copyError;
                Finish(row, std::move(restored));
                return;
            }
        }
        const std::string& from = fromPath_.empty() ? entry.archivePath : fromPath_;
        const ErrorCode error = services_.fileSystem.Copy(from, entry.sourcePath, false);
        if (error == kNoError) {
            ++outcome_.restored;
            if (onRestored_) {
                onRestored_(entry);
            }
            restored.restored = true;
            restored.resultText = kRestoredText;
            if (!copyName.empty()) {
                restored.resultText += ", Source Copy = " + FileNameOf(copyName);
            }
        } else {
            restored.error = error;
            SetLastError(error);
            ShowError(
                Format("Problem restoring file %d\n\n%s%s\n\n%s", row + 1, parts.fname.c_str(),
                       parts.ext.c_str(), GetLastErrorText(services_.systemErrors).c_str()),
                row);
            if (!copyName.empty()) {
                // The row already reports the failed restore; a copy that cannot go is left.
                IgnoreError(services_.fileSystem.Remove(copyName));
                --outcome_.copies;
            }
        }
        Finish(row, std::move(restored));
    }

    void Finish(int row, RestoredRow restored) {
        rows_.SetResultsText(row, restored.resultText);
        outcome_.rows.push_back(std::move(restored));
    }

    // The first free copy name from [copy1] to [copy99]; empty when none could be made, with
    // the last attempt's error in `error`.
    std::string MakeSourceCopy(const CFileEntry& entry, const PathParts& parts, int row,
                               ErrorCode& error) {
        for (int n = 1; n <= kMaxSourceCopies; ++n) {
            const std::string name = SourceCopyName(parts, n);
            FileSystem& fileSystem = services_.fileSystem;
            if (name.size() + 1 > fileSystem.PathLimitBytes()) {
                // Refused rather than cut short: counts as a failed attempt.
                error = fileSystem.PathTooLongError();
                continue;
            }
            error = services_.fileSystem.Copy(entry.sourcePath, name, true);
            if (error == kNoError) {
                ++outcome_.copies;
                return name;
            }
        }
        SetLastError(error);
        ShowError(Format("Problem making a copy of source file %d\n\n%s%s\n\n%s", progress_->Pos(),
                         parts.fname.c_str(), parts.ext.c_str(),
                         GetLastErrorText(services_.systemErrors).c_str()),
                  row);
        return {};
    }

    void ShowError(const std::string& text, int row) {
        if (showErrors_ != kIdOk) {
            return;
        }
        rows_.EnsureVisible(row);
        showErrors_ = services_.ui.MessageBox(text, caption_, kMbOkCancel | kMbIconExclamation);
    }

    const std::function<void(const CFileEntry&)>& onRestored_;
    const std::string fromPath_;  // restores from this file rather than the archive
    ManagerList& rows_;
    Services& services_;
    const bool makeCopies_;
    const bool restoreWithoutCopy_;
    const std::string caption_;
    RestoreOutcome outcome_;
    std::optional<ProgressScope> progress_;
    int showErrors_ = kIdOk;
};

}  // namespace

std::string RestoreCaption(int selectedCount) {
    return Format("Restore %d File%c", selectedCount, selectedCount != 1 ? 's' : ' ');
}

std::string RestoreQuestionText(int selectedCount) {
    return Format("Do you also want make a copy of\nthe source before restoring %s file?",
                  selectedCount == 1 ? "the" : "each");
}

std::string SourceCopyName(const PathParts& source, int n) {
    return Format("%s%s%s[copy%d]%s", source.drive.c_str(), source.dir.c_str(),
                  source.fname.c_str(), n, source.ext.c_str());
}

std::string RestoreSummaryText(const RestoreOutcome& outcome) {
    std::string text = outcome.restored == 1 ? Format("%d File was restored", outcome.restored)
                                             : Format("%d Files were restored", outcome.restored);
    if (outcome.copies > 0) {
        text += outcome.copies == 1 ? Format("\n%d Copy was made", outcome.copies)
                                    : Format("\n%d Copies were made", outcome.copies);
    }
    const int failed = outcome.selected - outcome.restored - outcome.skipped;
    if (failed > 0) {
        text += failed == 1 ? Format("\n%d Restore Failed", failed)
                            : Format("\n%d Restores Failed", failed);
    }
    if (outcome.skipped > 0) {
        text += outcome.skipped == 1 ? Format("\n%d Restore Skipped", outcome.skipped)
                                     : Format("\n%d Restores Skipped", outcome.skipped);
    }
    return text;
}

RestoreOutcome RunRestore(CBrackenholdDoc& doc, bool makeCopies, bool restoreWithoutCopy,
                          const std::function<void(const CFileEntry&)>& onRestored) {
    return RestoreRun(doc, makeCopies, restoreWithoutCopy, onRestored).Run();
}

RestoreOutcome RunRestoreFrom(CBrackenholdDoc& doc, const std::string& fromPath, bool makeCopies,
                              bool restoreWithoutCopy) {
    return RestoreRun(doc, makeCopies, restoreWithoutCopy, {}, fromPath).Run();
}

void OnRestoreSelected(CBrackenholdDoc& doc) {
    AskAndRestore(doc, {});
}

void AskAndRestore(CBrackenholdDoc& doc, const std::string& fromPath) {
    const int selected = doc.rows().SelectedCount();
    if (selected == 0) {
        return;
    }
    UserInterface& ui = doc.services().ui;
    const std::string caption = RestoreCaption(selected);
    const int answer = ui.MessageBox(RestoreQuestionText(selected), caption,
                                     kMbYesNoCancel | kMbIconQuestion | kMbDefButton3);
    if (answer != kIdYes && answer != kIdNo) {
        return;
    }
    const RestoreOutcome outcome = RunRestoreFrom(doc, fromPath, answer == kIdYes);
    ui.MessageBox(RestoreSummaryText(outcome), caption, kMbOk | kMbIconInformation);
}

}  // namespace bh
