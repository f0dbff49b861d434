#include <CLI/CLI.hpp>
#include <string>

#include "cli/CliCommand.h"
#include "cli/CliFailures.h"
#include "cli/CliListingRun.h"
#include "cli/CliSession.h"
#include "core/document/FileEntry.h"

namespace bh::cli {

namespace {

void DeclareStatus(CLI::App& app, ListingRequest& request) {
    app.add_option("MANAGER", request.manager, "the manager to check")->required();
    app.add_flag("--json", request.json, "print the listing as JSON");
}

// Names every problem on stderr; kExitOk only when every archive is up to date.
int StatusOutcome(CliSession& session) {
    int code = kExitOk;
    const ManagerList& rows = session.rows();
    for (int row = 0; row < rows.Count(); ++row) {
        if (rows.Entry(row).state == EntryState::Problem) {
            PrintEntryProblem(rows.Entry(row), session.services().systemErrors);
        }
        if (rows.Entry(row).state != EntryState::UpToDate) {
            code = kExitPartial;
        }
    }
    return code;
}

// Lists the manager as `list` does (nothing with -q); the exit code tells whether every
// archive is up to date.
int RunStatus(const ListingRequest& request, CliSession& session) {
    ListingRequest listing = request;
    listing.print = !session.quiet();
    const int code = RunListing(listing, session);
    return code == kExitOk ? StatusOutcome(session) : code;
}

const bool registered = RegisterCliCommand(
    "status", "as list; exit 1 unless every archive is up to date", DeclareStatus, RunStatus);

}  // namespace

}  // namespace bh::cli
