#include "cli/CliListingRun.h"

#include "cli/CliCommand.h"
#include "cli/CliListing.h"
#include "cli/CliSession.h"

namespace bh::cli {

int RunListing(const ListingRequest& request, CliSession& session) {
    session.rows().SetDateMode(request.dateMode);
    if (!session.Open(request.manager)) {
        return kExitUsage;
    }
    if (request.print) {
        PrintListing(session.rows(), session.services(), request.json);
    }
    return kExitOk;
}

}  // namespace bh::cli
