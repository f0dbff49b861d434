#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliFailures.h"
#include "cli/CliRowArguments.h"
#include "cli/CliSession.h"
#include "core/base/ErrorText.h"
#include "core/operations/Restore.h"
#include "core/ports/MessageBoxFlags.h"

namespace bh::cli {

namespace {

// Restores the archives of the given rows (or all) over their sources, printing each row's
// result and the summary. --keep-copies keeps a numbered copy of each source first.
int RunRestoreCommand(const std::vector<std::string>& args, CliSession& session) {
    std::string manager;
    bool all = false;
    bool keepCopies = false;
    std::vector<std::string> rowWords;
    for (const std::string& arg : args) {
        if (arg == "--all") {
            all = true;
        } else if (arg == "--keep-copies") {
            keepCopies = true;
        } else if (arg.starts_with("--")) {
            PrintUsage();
            return kExitUsage;
        } else if (manager.empty()) {
            manager = arg;
        } else {
            rowWords.push_back(arg);
        }
    }
    if (manager.empty() || all == !rowWords.empty()) {
        PrintUsage();
        return kExitUsage;
    }
    if (!session.Open(manager)) {
        return kExitUsage;
    }
    ManagerList& rows = session.rows();
    std::vector<int> selected;
    if (all) {
        for (int row = 0; row < rows.Count(); ++row) {
            selected.push_back(row);
        }
    } else if (!ParseRowNumbers(rowWords, rows.Count(), selected)) {
        return kExitUsage;
    }
    SelectOnly(rows, selected);
    // Every error is printed: none of them silences the rest. Nobody answers the box of a
    // copy that could not be made, so its source is left as it is rather than overwritten
    // without the copy that was asked for.
    session.ui().SetQuestionAnswer(kIdOk);
    const RestoreOutcome outcome =
        RunRestore(session.doc(), keepCopies, /*restoreWithoutCopy=*/false);
    const SystemErrors& errors = session.services().systemErrors;
    for (const RestoredRow& row : outcome.rows) {
        std::printf("%d\t%s\n", row.row + 1, row.resultText.c_str());
    }
    std::printf("%s\n", RestoreSummaryText(outcome).c_str());
    for (const RestoredRow& row : outcome.rows) {
        const std::string& source = rows.Entry(row.row).sourcePath;
        if (row.copyError != kNoError) {
            PrintFileFailure(source, "no copy of the source could be made: " +
                                         ErrorCodeText(errors, row.copyError));
        } else if (row.error != kNoError) {
            PrintFileFailure(source, row.error, errors);
        }
    }
    return outcome.restored == outcome.selected ? kExitOk : kExitPartial;
}

const bool registered =
    RegisterCliCommand({"restore", "MANAGER (--all | ROW...) [--keep-copies]", RunRestoreCommand});

}  // namespace

}  // namespace bh::cli
