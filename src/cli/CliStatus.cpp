#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliListing.h"
#include "core/base/ColumnIds.h"

namespace bh::cli {

namespace {

// Lists the manager as `list` does; the exit code tells whether every archive is up to date.
int RunStatus(const std::vector<std::string>& args, CliSession& session) {
    std::string manager;
    bool json = false;
    if (!ParseManagerAndFlag(args, "--json", manager, json)) {
        return kExitUsage;
    }
    bool allUpToDate = false;
    const int exitCode = WriteListing(session, manager, json, kDefaultDateMode, &allUpToDate);
    if (exitCode != kExitOk) {
        return exitCode;
    }
    return allUpToDate ? kExitOk : kExitPartial;
}

const bool registered = RegisterCliCommand({"status", "MANAGER [--json]", RunStatus});

}  // namespace

}  // namespace bh::cli
