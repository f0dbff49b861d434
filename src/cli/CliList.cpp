#include <cstdint>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliListing.h"
#include "core/view/EntryTexts.h"

namespace bh::cli {

namespace {

struct ListOptions {
    std::string manager;
    bool json = false;
    std::int32_t dateMode = kDefaultDateMode;
};

bool ParseOptions(const std::vector<std::string>& args, ListOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--json") {
            options.json = true;
        } else if (args[i] == "--date-mode" && i + 1 < args.size()) {
            const std::string& mode = args[++i];
            if (mode.size() != 1 || mode[0] < '0' || mode[0] > '3') {
                PrintError("--date-mode takes 0, 1, 2 or 3");
                return false;
            }
            options.dateMode = mode[0] - '0';
        } else if (options.manager.empty() && !args[i].starts_with("--")) {
            options.manager = args[i];
        } else {
            return false;
        }
    }
    return !options.manager.empty();
}

int RunList(const std::vector<std::string>& args, CliSession& session) {
    ListOptions options;
    if (!ParseOptions(args, options)) {
        PrintUsage();
        return kExitUsage;
    }
    return WriteListing(session, options.manager, options.json, options.dateMode);
}

const bool registered = RegisterCliCommand({"list", "MANAGER [--json] [--date-mode N]", RunList});

}  // namespace

}  // namespace bh::cli
