#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliFailures.h"
#include "cli/CliPlatform.h"
#include "cli/CliRowArguments.h"
#include "cli/CliSession.h"
#include "core/base/ErrorText.h"
#include "core/document/FileEntry.h"
#include "core/operations/VerifyRun.h"

namespace bh::cli {

namespace {

struct VerifyRequest {
    std::string manager;
    std::vector<int> rows;
};

void DeclareVerify(CLI::App& app, VerifyRequest& request) {
    app.add_option("MANAGER", request.manager, "the manager whose archives are verified")
        ->required();
    DeclareRowNumbers(app, request.rows,
                      "the number of a row to verify, as list shows it (none: every row)");
}

// The file a problem names: the source when it could not be read or kept changing, else
// the archive.
const std::string& ProblemPath(const VerifyProblem& problem, const CFileEntry& entry) {
    const bool source = problem.verdict == ContentsVerdict::SourceFailed ||
                        problem.verdict == ContentsVerdict::Changing;
    return source ? entry.sourcePath : entry.archivePath;
}

// Compares the archives of the given rows (or all) with their sources byte for byte, names
// every one that differs or could not be read on stderr and prints the counts. The manager
// is read only: nothing is saved.
int RunVerifyCommand(const VerifyRequest& request, CliSession& session) {
    if (StandardErrorIsTerminal() && !session.quiet()) {
        session.ui().SetProgressOutput(stderr);
    }
    if (!session.Open(request.manager)) {
        return kExitUsage;
    }
    std::vector<int> selected;
    if (!RowIndices(request.rows, session, selected)) {
        return kExitUsage;
    }
    if (request.rows.empty()) {
        for (int row = 0; row < session.rows().Count(); ++row) {
            selected.push_back(row);
        }
    }
    SelectOnly(session.rows(), selected);
    VerifyResult result = RunVerify(session.doc());
    result.counts.total = static_cast<unsigned>(selected.size());
    const SystemErrors& errors = session.services().systemErrors;
    for (const VerifyProblem& problem : result.problems) {
        const CFileEntry& entry = session.rows().Entry(problem.row);
        PrintFileFailure(ProblemPath(problem, entry), problem.error, errors);
    }
    if (!session.quiet()) {
        std::printf("%s\n", VerifyReportText(result.counts).c_str());
    }
    return result.problems.empty() ? kExitOk : kExitPartial;
}

const bool registered = RegisterCliCommand(
    "verify", "compare archives with their sources byte for byte", DeclareVerify, RunVerifyCommand);

}  // namespace

}  // namespace bh::cli
