#include <CLI/CLI.hpp>

#include "cli/CliCommand.h"
#include "cli/CliListing.h"

namespace bh::cli {

namespace {

void DeclareList(CLI::App& app, ListingRequest& request) {
    app.add_option("MANAGER", request.manager, "the manager to list")->required();
    app.add_flag("--json", request.json, "print the listing as JSON");
    app.add_option("--date-mode", request.dateMode, "the Last Modified column's date style, 0 to 3")
        ->type_name("N")
        ->check(CLI::Range(0, 3).description(""));
}

int RunList(const ListingRequest& request, CliSession& session) {
    return WriteListing(session, request);
}

const bool registered =
    RegisterCliCommand("list", "list every entry with its evaluated status", DeclareList, RunList);

}  // namespace

}  // namespace bh::cli
