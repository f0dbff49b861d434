#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliSession.h"
#include "core/operations/ManagerFile.h"
#include "core/ports/FileSystem.h"

namespace bh::cli {

namespace {

int RunNew(const std::vector<std::string>& args, CliSession& session) {
    if (args.size() != 1) {
        PrintUsage();
        return kExitUsage;
    }
    const std::string path = AbsolutePath(args[0]);
    if (session.services().fileSystem.Lookup(path) != PathKind::None) {
        PrintError(path + " already exists; a new manager is never written over it");
        return kExitUsage;
    }
    return SaveDocumentFile(session.doc(), path) ? kExitOk : kExitPartial;
}

const bool registered = RegisterCliCommand({"new", "MANAGER", RunNew});

}  // namespace

}  // namespace bh::cli
