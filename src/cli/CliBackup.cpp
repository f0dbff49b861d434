#include <CLI/CLI.hpp>
#include <cstdio>
#include <optional>
#include <string>

#include "cli/CliBackupNotice.h"
#include "cli/CliCommand.h"
#include "cli/CliFailures.h"
#include "cli/CliPlatform.h"
#include "cli/CliSession.h"
#include "cli/TerminalText.h"
#include "core/document/FileEntry.h"
#include "core/document/ManagerOptions.h"
#include "core/operations/BackupRun.h"

namespace bh::cli {

namespace {

struct BackupRequest {
    std::string manager;
    bool dryRun = false;
    bool notify = false;
    std::optional<int> keepVersions;
    bool verifyAfterCopy = false;
};

void DeclareBackup(CLI::App& app, BackupRequest& request) {
    app.add_option("MANAGER", request.manager, "the manager whose entries are backed up")
        ->required();
    app.add_flag("--dry-run", request.dryRun,
                 "copy and save nothing: print each copy a backup would make");
    app.add_flag("--notify", request.notify,
                 "raise a desktop notification when the run fails or partly fails");
    app.add_option("--keep-versions", request.keepVersions,
                   "keep the last N replaced archives of each entry in this run, whatever the "
                   "manager's setting (0 keeps none)")
        ->check(CLI::Range(0, kMaxKeptVersions));
    app.add_flag("--verify-after-copy", request.verifyAfterCopy,
                 "read each new archive again and compare it with its source (this run only)");
}

// The dry run's closing line: the designed report counts copies that were made.
void PrintWouldCount(unsigned count) {
    std::printf("%u %s would be backed up.\n", count, count == 1 ? "file" : "files");
}

BackupOptions Options(const BackupRequest& request, const CliSession& session) {
    BackupOptions options;
    options.dryRun = request.dryRun;
    options.keepVersions = request.keepVersions;
    if (request.verifyAfterCopy) {
        options.verifyAfterCopy = true;
    }
    if (!session.quiet()) {
        options.onWouldCopy = [](const CFileEntry& entry) {
            std::printf("would copy %s -> %s\n", TerminalText(entry.sourcePath).c_str(),
                        TerminalText(entry.archivePath).c_str());
        };
    }
    if (session.verbose()) {
        options.onCopied = [](const CFileEntry& entry) {
            std::printf("copied %s -> %s\n", TerminalText(entry.sourcePath).c_str(),
                        TerminalText(entry.archivePath).c_str());
        };
    }
    return options;
}

// Backs up every out-of-date entry and prints the report. A dry run copies and saves nothing:
// each copy that would be made is printed and counted as if it had succeeded.
int RunBackupCommand(const BackupRequest& request, CliSession& session) {
    if (StandardErrorIsTerminal() && !session.quiet()) {
        session.ui().SetProgressOutput(stderr);
    }
    if (!session.Open(request.manager)) {
        if (request.notify) {
            NotifyBackupNotOpened(AbsolutePath(request.manager));
        }
        return kExitUsage;
    }
    BackupResult result = RunBackup(session.doc(), Options(request, session));
    if (request.notify && !request.dryRun) {
        NotifyBackupRun(session.doc().PathName(), result);
    }
    if (!result.ran) {
        result.counts.total = static_cast<unsigned>(session.rows().Count());
    }
    if (!session.quiet()) {
        if (request.dryRun) {
            PrintWouldCount(result.counts.backedUp);
        } else {
            std::printf("%s\n", ReportText(result.counts).c_str());
        }
    }
    if (!request.dryRun) {
        PrintEntryProblems(session.rows(), session.services().systemErrors);
    }
    return result.counts.problems == 0 && !result.saveFailed ? kExitOk : kExitPartial;
}

const bool registered =
    RegisterCliCommand("backup", "back up out-of-date entries", DeclareBackup, RunBackupCommand);

}  // namespace

}  // namespace bh::cli
