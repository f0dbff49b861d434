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
                // Held until the command has finished, saves included. A run that cannot be
                // locked does not run: it could write the manager beside another program.
                const std::string path = AbsolutePath(manager);
                bh::LockRefusal refusal;
                hold = CliManagerLocks().TryLock(path, refusal);
                if (!hold) {
                    PrintError(refusal.busy ? bh::ManagerBusyText(path)
                                            : bh::ManagerUnlockableText(
                                                  path, SystemErrorText(refusal.error)));
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
