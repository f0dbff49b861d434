#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliManagerLock.h"

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
            const std::vector<std::string> args(argv + 2, argv + argc);
            std::unique_ptr<bh::ManagerLockHold> hold;
            const std::string manager = ManagerArgument(args);
            if (CommandLocksManager(info.name) && !manager.empty()) {
                // Held until the command has finished, saves included.
                hold = CliManagerLocks().TryLock(AbsolutePath(manager));
                if (!hold) {
                    PrintError(bh::ManagerBusyText(AbsolutePath(manager)));
                    return kExitBusy;
                }
            }
            return info.run(args);
        }
    }
    PrintError(std::string("unknown command: ") + argv[1]);
    PrintUsage();
    return kExitUsage;
}
