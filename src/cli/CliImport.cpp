#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliSession.h"
#include "core/document/Import.h"
#include "core/document/ManagerFile.h"

namespace bh::cli {

namespace {

int RunImport(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        PrintUsage();
        return kExitUsage;
    }
    CliSession session;
    if (!session.Open(args[0])) {
        return kExitUsage;
    }
    switch (ImportManager(session.doc(), AbsolutePath(args[1]))) {
        case ImportResult::Imported:
            return SaveDocumentFile(session.doc(), session.doc().PathName()) ? kExitOk
                                                                             : kExitPartial;
        case ImportResult::Empty:
            return kExitOk;
        default:
            return kExitPartial;
    }
}

const bool registered = RegisterCliCommand({"import", "MANAGER OTHER", RunImport});

}  // namespace

}  // namespace bh::cli
