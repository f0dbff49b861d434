#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliFailures.h"
#include "cli/CliRowArguments.h"
#include "cli/CliSession.h"
#include "cli/TerminalText.h"
#include "core/operations/ManagerFile.h"
#include "core/operations/RemoveSelected.h"

namespace bh::cli {

namespace {

struct RemoveRequest {
    std::string manager;
    std::vector<int> rows;
    bool deleteArchives = false;
};

void DeclareRemove(CLI::App& app, RemoveRequest& request) {
    app.add_option("MANAGER", request.manager, "the manager to remove the entries from")
        ->required();
    DeclareRowNumbers(app, request.rows, "the number of a row to remove, as list shows it");
    app.get_option("ROW")->required();
    app.add_flag("--delete-archives", request.deleteArchives,
                 "delete the removed entries' archive files as well");
}

// "removed ROW: SOURCE" for each selected row, in row order, before the rows go.
std::vector<std::string> RemovedLines(const ManagerList& rows) {
    std::vector<std::string> lines;
    for (int row = rows.NextSelected(-1); row >= 0; row = rows.NextSelected(row)) {
        lines.push_back("removed " + std::to_string(row + 1) + ": " + rows.Entry(row).sourcePath);
    }
    return lines;
}

// Removes the given rows from the manager and saves it; --delete-archives deletes their
// archive files as well.
int RunRemoveCommand(const RemoveRequest& request, CliSession& session) {
    if (!session.Open(request.manager, EntryEvaluation::Skip)) {
        return kExitUsage;
    }
    std::vector<int> selected;
    if (!RowIndices(request.rows, session, selected)) {
        return kExitUsage;
    }
    SelectOnly(session.rows(), selected);
    const std::vector<std::string> removed = RemovedLines(session.rows());
    std::vector<ArchiveNotDeleted> notDeleted;
    RemoveSelectedEntries(session.doc(), request.deleteArchives, &notDeleted);
    for (const ArchiveNotDeleted& archive : notDeleted) {
        PrintFileFailure(archive.path, archive.error, session.services().systemErrors);
    }
    if (!SaveDocumentFile(session.doc(), session.doc().PathName())) {
        return kExitPartial;
    }
    if (session.verbose()) {
        for (const std::string& line : removed) {
            std::printf("%s\n", TerminalText(line).c_str());
        }
    }
    return notDeleted.empty() ? kExitOk : kExitPartial;
}

const bool registered =
    RegisterCliCommand("remove", "remove entries by row number", DeclareRemove, RunRemoveCommand);

}  // namespace

}  // namespace bh::cli
