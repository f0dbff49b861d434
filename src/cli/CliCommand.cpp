#include "cli/CliCommand.h"

#include <cstdio>

#include "cli/CliPlatform.h"

namespace bh::cli {

namespace {

std::vector<CliCommandInfo>& Table() {
    static std::vector<CliCommandInfo> table;
    return table;
}

}  // namespace

bool RegisterCliCommand(const CliCommandInfo& info) {
    Table().push_back(info);
    return true;
}

const std::vector<CliCommandInfo>& CliCommands() {
    return Table();
}

void PrintUsage() {
    std::fputs("usage: brackenhold-cli COMMAND ARGUMENTS...\ncommands:\n", stderr);
    for (const CliCommandInfo& info : CliCommands()) {
        std::fprintf(stderr, "  brackenhold-cli %s %s\n", info.name, info.usage);
    }
}

void PrintError(const std::string& text) {
    std::fprintf(stderr, "brackenhold-cli: %s\n", text.c_str());
}

std::string AbsolutePath(const std::string& path) {
    return SystemAbsolutePath(path);
}

bool ParseManagerAndFlag(const std::vector<std::string>& args, const std::string& flag,
                         std::string& manager, bool& flagGiven) {
    manager.clear();
    flagGiven = false;
    for (const std::string& arg : args) {
        if (arg == flag) {
            flagGiven = true;
        } else if (manager.empty() && !arg.starts_with("--")) {
            manager = arg;
        } else {
            manager.clear();
            break;
        }
    }
    if (manager.empty()) {
        PrintUsage();
        return false;
    }
    return true;
}

}  // namespace bh::cli
