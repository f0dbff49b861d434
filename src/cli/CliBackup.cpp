#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliFailures.h"
#include "cli/CliPlatform.h"
#include "cli/CliSession.h"
#include "core/document/FileEntry.h"
#include "core/operations/BackupRun.h"

namespace bh::cli {

namespace {

// Backs up every out-of-date entry and prints the report. With --dry-run nothing is copied
// or saved: each copy that would be made is printed and counted as if it had succeeded.
int RunBackupCommand(const std::vector<std::string>& args, CliSession& session) {
    std::string manager;
    bool dryRun = false;
    if (!ParseManagerAndFlag(args, "--dry-run", manager, dryRun)) {
        return kExitUsage;
    }
    if (StandardErrorIsTerminal()) {
        session.ui().SetProgressOutput(stderr);
    }
    if (!session.Open(manager)) {
        return kExitUsage;
    }
    BackupOptions options;
    options.dryRun = dryRun;
    options.onWouldCopy = [](const CFileEntry& entry) {
        std::printf("would copy %s -> %s\n", entry.sourcePath.c_str(), entry.archivePath.c_str());
    };
    BackupResult result = RunBackup(session.doc(), options);
    if (!result.ran) {
        result.counts.total = static_cast<unsigned>(session.rows().Count());
    }
    std::printf("%s\n", ReportText(result.counts).c_str());
    if (!dryRun) {
        ManagerList& rows = session.rows();
        for (int row = 0; row < rows.Count(); ++row) {
            if (rows.Entry(row).state == EntryState::Problem) {
                PrintEntryProblem(rows.Entry(row), session.services().systemErrors);
            }
        }
    }
    return result.counts.problems == 0 && !result.saveFailed ? kExitOk : kExitPartial;
}

const bool registered = RegisterCliCommand({"backup", "MANAGER [--dry-run]", RunBackupCommand});

}  // namespace

}  // namespace bh::cli
