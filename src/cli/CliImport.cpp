#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliFailures.h"
#include "cli/CliSession.h"
#include "core/document/FileEntry.h"
#include "core/operations/Import.h"
#include "core/operations/ManagerFile.h"

namespace bh::cli {

namespace {

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

int RunImport(const std::vector<std::string>& args, CliSession& session) {
    if (args.size() != 2) {
        PrintUsage();
        return kExitUsage;
    }
    if (!session.Open(args[0])) {
        return kExitUsage;
    }
    const std::string other = AbsolutePath(args[1]);
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

const bool registered = RegisterCliCommand({"import", "MANAGER OTHER", RunImport});

}  // namespace

}  // namespace bh::cli
