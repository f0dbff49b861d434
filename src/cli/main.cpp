#include <cstring>
#include <string>
#include <vector>

#include "cli/CliCommand.h"

// Dispatches to the command named by the first argument; every command registers itself
// in its own file.
int main(int argc, char* argv[]) {
    using namespace bh::cli;
    if (argc < 2) {
        PrintUsage();
        return kExitUsage;
    }
    for (const CliCommandInfo& info : CliCommands()) {
        if (std::strcmp(info.name, argv[1]) == 0) {
            return info.run(std::vector<std::string>(argv + 2, argv + argc));
        }
    }
    PrintError(std::string("unknown command: ") + argv[1]);
    PrintUsage();
    return kExitUsage;
}
