#include "cli/CliCommand.h"

#include <cstdio>
#include <memory>

#include "cli/CliManagerLock.h"
#include "cli/CliPlatform.h"
#include "cli/CliSession.h"
#include "core/app/ManagerLockedCommands.h"
#include "core/base/ErrorText.h"
#include "core/ports/ManagerLock.h"

namespace bh::cli {

namespace {

std::vector<CliCommandInfo>& Table() {
    static std::vector<CliCommandInfo> table;
    return table;
}

const CliCommandInfo* FindCommand(const std::string& name) {
    for (const CliCommandInfo& info : CliCommands()) {
        if (name == info.name) {
            return &info;
        }
    }
    return nullptr;
}

// Takes the manager's lock for a command that changes it. A run that cannot be locked must
// not run: it could write the manager beside another program.
bool LockManager(const std::string& manager, ManagerLock& locks, const SystemErrors& errors,
                 std::unique_ptr<ManagerLockHold>& hold) {
    const std::string path = AbsolutePath(manager);
    LockRefusal refusal;
    hold = locks.TryLock(path, refusal);
    if (!hold) {
        PrintError(refusal.busy
                       ? ManagerBusyText(path)
                       : ManagerUnlockableText(path, ErrorCodeText(errors, refusal.error)));
    }
    return hold != nullptr;
}

}  // namespace

bool RegisterCliCommand(const CliCommandInfo& info) {
    Table().push_back(info);
    return true;
}

const std::vector<CliCommandInfo>& CliCommands() {
    return Table();
}

int RunCli(const std::vector<std::string>& commandLine, CliSession& session) {
    const CliCommandInfo* info = commandLine.empty() ? nullptr : FindCommand(commandLine[0]);
    if (info == nullptr) {
        if (!commandLine.empty()) {
            PrintError("unknown command: " + commandLine[0]);
        }
        PrintUsage();
        return kExitUsage;
    }
    const std::vector<std::string> args(commandLine.begin() + 1, commandLine.end());
    const std::string manager = ManagerArgument(args);
    std::unique_ptr<ManagerLockHold> hold;
    ManagerLock* locks = session.services().managerLock;
    if (CliCommandNeedsManagerLock(info->name) && !manager.empty() && locks != nullptr &&
        !LockManager(manager, *locks, session.services().systemErrors, hold)) {
        return kExitBusy;
    }
    return info->run(args, session);
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
