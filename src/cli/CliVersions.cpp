#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliFailures.h"
#include "cli/CliRowArguments.h"
#include "cli/CliSession.h"
#include "cli/TerminalText.h"
#include "core/operations/KeptVersions.h"

namespace bh::cli {

namespace {

struct VersionsRequest {
    std::string manager;
    int row = 0;
};

void DeclareVersions(CLI::App& app, VersionsRequest& request) {
    app.add_option("MANAGER", request.manager, "the manager")->required();
    app.add_option("ROW", request.row, "the number of the row, as list shows it")
        ->required()
        ->check(CLI::PositiveNumber);
}

// Lists the kept versions of one row's archive, newest first: time, size and path, tab
// separated; the time is what restore --version takes.
int RunVersions(const VersionsRequest& request, CliSession& session) {
    if (!session.Open(request.manager, EntryEvaluation::Skip)) {
        return kExitUsage;
    }
    std::vector<int> rows;
    if (!RowIndices({request.row}, session, rows)) {
        return kExitUsage;
    }
    const std::string& archive = session.rows().Entry(rows.front()).archivePath;
    KeptVersions kept(session.services().fileSystem, session.services().clock);
    std::vector<KeptVersion> versions;
    if (const ErrorCode error = kept.List(archive, versions)) {
        PrintFileFailure(VersionsFolderOf(archive), error, session.services().systemErrors);
        return kExitPartial;
    }
    for (const KeptVersion& version : versions) {
        std::printf("%s\t%llu\t%s\n", version.timeText.c_str(),
                    static_cast<unsigned long long>(version.size),
                    TerminalText(version.path).c_str());
    }
    return kExitOk;
}

const bool registered =
    RegisterCliCommand("versions", "list the kept versions of a row's archive, newest first",
                       DeclareVersions, RunVersions);

}  // namespace

}  // namespace bh::cli
