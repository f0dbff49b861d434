#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliSession.h"
#include "core/document/AddFiles.h"
#include "core/document/ManagerFile.h"

namespace bh::cli {

namespace {

int RunAdd(const std::vector<std::string>& args) {
    if (args.size() < 2) {
        PrintUsage();
        return kExitUsage;
    }
    CliSession session;
    if (!session.Open(args[0])) {
        return kExitUsage;
    }
    bool allAdded = true;
    bool anyAdded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const AddFileResult result = AddFile(session.doc(), AbsolutePath(args[i]));
        if (result == AddFileResult::Added) {
            anyAdded = true;
        } else {
            allAdded = false;
            PrintError(args[i] + ": not added: " + AddFileResultText(result));
        }
    }
    if (anyAdded && !SaveDocumentFile(session.doc(), session.doc().PathName())) {
        return kExitPartial;
    }
    return allAdded ? kExitOk : kExitPartial;
}

const bool registered = RegisterCliCommand({"add", "MANAGER FILE...", RunAdd});

}  // namespace

}  // namespace bh::cli
