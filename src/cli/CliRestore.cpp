#include <CLI/CLI.hpp>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliFailures.h"
#include "cli/CliRowArguments.h"
#include "cli/CliSession.h"
#include "cli/TerminalText.h"
#include "core/base/ErrorText.h"
#include "core/document/FileEntry.h"
#include "core/operations/KeptVersions.h"
#include "core/operations/Restore.h"
#include "core/ports/MessageBoxFlags.h"

namespace bh::cli {

namespace {

struct RestoreRequest {
    std::string manager;
    std::vector<int> rows;
    bool all = false;
    bool keepCopies = false;
    std::string version;
};

void DeclareRestore(CLI::App& app, RestoreRequest& request) {
    app.add_option("MANAGER", request.manager, "the manager whose archives are restored")
        ->required();
    DeclareRowNumbers(app, request.rows, "the number of a row to restore, as list shows it");
    CLI::Option* all = app.add_flag("--all", request.all, "restore every row");
    all->excludes(app.get_option("ROW"));
    app.add_flag("--keep-copies", request.keepCopies,
                 "keep a numbered copy of each source before it is replaced");
    app.add_option("--version", request.version,
                   "restore the kept version of this time (as versions lists it) rather than "
                   "the archive; one ROW only")
        ->excludes(all);
    app.callback([&request] {
        if (!request.all && request.rows.empty()) {
            throw CLI::RequiredError("ROW or --all");
        }
    });
}

std::vector<int> SelectedRows(const RestoreRequest& request, CliSession& session, bool& valid) {
    const int rowCount = session.rows().Count();
    std::vector<int> selected;
    valid = true;
    if (!request.all) {
        valid = RowIndices(request.rows, session, selected);
        return selected;
    }
    for (int row = 0; row < rowCount; ++row) {
        selected.push_back(row);
    }
    return selected;
}

void PrintOutcome(const RestoreOutcome& outcome) {
    for (const RestoredRow& row : outcome.rows) {
        std::printf("%d\t%s\n", row.row + 1, TerminalText(row.resultText).c_str());
    }
    std::printf("%s\n", RestoreSummaryText(outcome).c_str());
}

void PrintFailures(const RestoreOutcome& outcome, CliSession& session) {
    const SystemErrors& errors = session.services().systemErrors;
    for (const RestoredRow& row : outcome.rows) {
        const std::string& source = session.rows().Entry(row.row).sourcePath;
        if (row.copyError != kNoError) {
            PrintFileFailure(source, "no copy of the source could be made: " +
                                         ErrorCodeText(errors, row.copyError));
        } else if (row.error != kNoError) {
            PrintFileFailure(source, row.error, errors);
        }
    }
}

// The kept version --version names, of the one row given; false after printing why not.
bool FindVersion(const RestoreRequest& request, CliSession& session,
                 const std::vector<int>& selected, std::string& versionPath) {
    if (selected.size() != 1) {
        std::fprintf(stderr, "brackenhold-cli: --version restores one ROW at a time\n");
        return false;
    }
    const CFileEntry& entry = session.rows().Entry(selected.front());
    const std::string wanted = VersionTimeFromUser(request.version);
    std::vector<KeptVersion> versions;
    KeptVersions kept(session.services().fileSystem, session.services().clock);
    if (const ErrorCode error = kept.List(entry.archivePath, versions)) {
        PrintFileFailure(entry.archivePath, error, session.services().systemErrors);
        return false;
    }
    for (const KeptVersion& version : versions) {
        if (version.timeText == wanted) {
            versionPath = version.path;
            return true;
        }
    }
    PrintFileFailure(entry.archivePath, "no version of " + request.version +
                                            " is kept (versions MANAGER ROW lists them)");
    return false;
}

// Restores the archives of the given rows (or all) over their sources, printing each row's
// result and the summary. --keep-copies keeps a numbered copy of each source first.
int RunRestoreCommand(const RestoreRequest& request, CliSession& session) {
    if (!session.Open(request.manager)) {
        return kExitUsage;
    }
    bool valid = true;
    const std::vector<int> selected = SelectedRows(request, session, valid);
    if (!valid) {
        return kExitUsage;
    }
    SelectOnly(session.rows(), selected);
    // Every error is printed: none of them silences the rest. Nobody answers the box of a
    // copy that could not be made, so its source is left as it is rather than overwritten
    // without the copy that was asked for.
    session.ui().SetQuestionAnswer(kIdOk);
    std::function<void(const CFileEntry&)> onRestored;
    if (session.verbose()) {
        onRestored = [](const CFileEntry& entry) {
            std::printf("restored %s -> %s\n", TerminalText(entry.archivePath).c_str(),
                        TerminalText(entry.sourcePath).c_str());
        };
    }
    std::string versionPath;
    if (!request.version.empty() && !FindVersion(request, session, selected, versionPath)) {
        return kExitUsage;
    }
    const RestoreOutcome outcome =
        versionPath.empty() ? RunRestore(session.doc(), request.keepCopies,
                                         /*restoreWithoutCopy=*/false, onRestored)
                            : RunRestoreFrom(session.doc(), versionPath, request.keepCopies,
                                             /*restoreWithoutCopy=*/false);
    if (!session.quiet()) {
        PrintOutcome(outcome);
    }
    PrintFailures(outcome, session);
    return outcome.restored == outcome.selected ? kExitOk : kExitPartial;
}

const bool registered =
    RegisterCliCommand("restore", "restore archives over their sources (--all, or the given rows)",
                       DeclareRestore, RunRestoreCommand);

}  // namespace

}  // namespace bh::cli
