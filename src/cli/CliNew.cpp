#include <CLI/CLI.hpp>
#include <string>

#include "cli/CliCommand.h"
#include "cli/CliSession.h"
#include "core/operations/ManagerFile.h"
#include "core/ports/FileSystem.h"

namespace bh::cli {

namespace {

struct NewRequest {
    std::string manager;
};

void DeclareNew(CLI::App& app, NewRequest& request) {
    app.add_option("MANAGER", request.manager, "the manager file to create")->required();
}

int RunNew(const NewRequest& request, CliSession& session) {
    const std::string path = AbsolutePath(request.manager);
    session.ui().SetSubject(path);
    if (session.services().fileSystem.Lookup(path) != PathKind::None) {
        PrintError(path + ": already exists; a new manager is never written over it");
        return kExitUsage;
    }
    return SaveDocumentFile(session.doc(), path) ? kExitOk : kExitPartial;
}

const bool registered = RegisterCliCommand("new", "create an empty manager", DeclareNew, RunNew);

}  // namespace

}  // namespace bh::cli
