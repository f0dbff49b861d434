#include <CLI/CLI.hpp>
#include <string>

#include "cli/CliCommand.h"
#include "cli/CliFailures.h"
#include "cli/CliSession.h"
#include "core/document/FileEntry.h"
#include "core/operations/Import.h"
#include "core/operations/ManagerFile.h"

namespace bh::cli {

namespace {

struct ImportRequest {
    std::string manager;
    std::string other;
};

// Names every entry whose archive is now shared with another source: the next backup will
// leave those archives alone until the clash is resolved.
void PrintSharedArchives(CliSession& session) {
    ManagerList& rows = session.rows();
    for (int row = 0; row < rows.Count(); ++row) {
        if (rows.Entry(row).LastErrorCode() == kErrorSharedArchive) {
            PrintEntryProblem(rows.Entry(row), session.services().systemErrors);
        }
    }
}

void DeclareImport(CLI::App& app, ImportRequest& request) {
    app.add_option("MANAGER", request.manager, "the manager to add the entries to")->required();
    app.add_option("OTHER", request.other, "the manager whose entries are added")->required();
}

int RunImport(const ImportRequest& request, CliSession& session) {
    if (!session.Open(request.manager, EntryEvaluation::Skip)) {
        return kExitUsage;
    }
    const std::string other = AbsolutePath(request.other);
    std::string failure;
    switch (ImportManager(session.doc(), other, &failure)) {
        case ImportResult::Imported:
            PrintSharedArchives(session);
            return SaveDocumentFile(session.doc(), session.doc().PathName()) ? kExitOk
                                                                             : kExitPartial;
        case ImportResult::Empty:
            return kExitOk;
        default:
            PrintFileFailure(other, failure);
            return kExitPartial;
    }
}

const bool registered =
    RegisterCliCommand("import", "append the entries of another manager", DeclareImport, RunImport);

}  // namespace

}  // namespace bh::cli
