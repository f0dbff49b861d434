#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliListing.h"
#include "cli/CliSession.h"
#include "core/document/FileEntry.h"

namespace bh::cli {

namespace {

// Lists the manager as `list` does; the exit code tells whether every archive is up to date.
int RunStatus(const std::vector<std::string>& args, CliSession& session) {
    std::string manager;
    bool json = false;
    if (!ParseManagerAndFlag(args, "--json", manager, json)) {
        return kExitUsage;
    }
    if (!session.Open(manager)) {
        return kExitUsage;
    }
    PrintListing(session.rows(), session.services(), json);
    for (int row = 0; row < session.rows().Count(); ++row) {
        if (session.rows().Entry(row).state != EntryState::UpToDate) {
            return kExitPartial;
        }
    }
    return kExitOk;
}

const bool registered = RegisterCliCommand({"status", "MANAGER [--json]", RunStatus});

}  // namespace

}  // namespace bh::cli
