#include "gui-win32/Win32CommandLine.h"

#include "bh/Version.h"

namespace bh {
namespace {

Win32CommandLine Failure(const std::string& message) {
    return {Win32CommandLine::Action::Error,
            {},
            "brackenhold: " + message + "\nRun 'brackenhold --help' for usage.\n"};
}

}  // namespace

Win32CommandLine ParseWin32CommandLine(const std::vector<std::string>& arguments) {
    Win32CommandLine result;
    std::vector<std::string> positional;
    bool options = true;
    for (const std::string& argument : arguments) {
        if (options && argument == "--") {
            options = false;
        } else if (options && (argument == "--help" || argument == "-h" || argument == "/?")) {
            return {Win32CommandLine::Action::Help,
                    {},
                    "Usage: brackenhold [MANAGER]\n"
                    "Keeps archive copies of files up to date: opens MANAGER, a backup "
                    "manager, or an empty one.\n\n"
                    "  -h, --help   Show this help and exit.\n"
                    "  --version    Show the version and exit.\n"};
        } else if (options && argument == "--version") {
            return {Win32CommandLine::Action::Version,
                    {},
                    std::string("brackenhold ") + kVersionText + "\n"};
        } else if (options && argument.size() > 1 && argument[0] == '-') {
            return Failure("unknown option '" + argument + "'");
        } else {
            positional.push_back(argument);
        }
    }
    if (positional.size() > 1)
        return Failure("only one MANAGER can be opened, " + std::to_string(positional.size()) +
                       " were named");
    if (!positional.empty())
        result.manager = positional.front();
    return result;
}

}  // namespace bh
