#include <CLI/CLI.hpp>

#include "cli/CliCommand.h"
#include "cli/CliListing.h"
#include "cli/CliSession.h"

namespace bh::cli {

namespace {

void DeclareStatus(CLI::App& app, ListingRequest& request) {
    app.add_option("MANAGER", request.manager, "the manager to check")->required();
    app.add_flag("--json", request.json, "print the listing as JSON");
}

// Lists the manager as `list` does (nothing with -q) and names every problem on stderr; the
// exit code tells whether every archive is up to date.
int RunStatus(const ListingRequest& request, CliSession& session) {
    ListingRequest listing = request;
    listing.print = !session.quiet();
    listing.reportProblems = true;
    bool allUpToDate = false;
    const int code = WriteListing(session, listing, &allUpToDate);
    if (code != kExitOk) {
        return code;
    }
    return allUpToDate ? kExitOk : kExitPartial;
}

const bool registered = RegisterCliCommand(
    "status", "as list; exit 1 unless every archive is up to date", DeclareStatus, RunStatus);

}  // namespace

}  // namespace bh::cli
