#include "cli/CliFailures.h"

#include "cli/CliCommand.h"
#include "core/base/ErrorText.h"
#include "core/document/FileEntry.h"
#include "core/document/ManagerList.h"
#include "core/view/Columns.h"

namespace bh::cli {

void PrintFileFailure(const std::string& path, const std::string& reason) {
    PrintError(path + ": " + reason);
}

void PrintFileFailure(const std::string& path, ErrorCode error, const SystemErrors& errors) {
    PrintFileFailure(path, ErrorCodeText(errors, error));
}

void PrintEntryProblem(const CFileEntry& entry, const SystemErrors& errors) {
    const bool sourceFailed =
        entry.result == kResultSourceFailed || entry.LastErrorCode() == kErrorSourceChanged;
    const std::string reason = EntryFailureText(entry, errors);
    PrintFileFailure(sourceFailed ? entry.sourcePath : entry.archivePath,
                     entry.result == kResultVersionFailed
                         ? "old version not kept, archive not replaced: " + reason
                         : reason);
}

void PrintEntryProblems(const ManagerList& rows, const SystemErrors& errors) {
    for (int row = 0; row < rows.Count(); ++row) {
        if (rows.Entry(row).state == EntryState::Problem) {
            PrintEntryProblem(rows.Entry(row), errors);
        }
    }
}

}  // namespace bh::cli
