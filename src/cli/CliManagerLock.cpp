#include "cli/CliManagerLock.h"

#ifdef _WIN32
#include "platform/win32/Win32ManagerLock.h"
#else
#include "platform/posix/PosixManagerLock.h"
#endif

namespace bh::cli {

bool CommandLocksManager(const std::string& command) {
    for (const char* name : {"new", "add", "import", "backup", "restore", "remove"}) {
        if (command == name) {
            return true;
        }
    }
    return false;
}

std::string ManagerArgument(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (!arg.starts_with("--")) {
            return arg;
        }
    }
    return {};
}

ManagerLock& CliManagerLocks() {
#ifdef _WIN32
    static Win32ManagerLock locks;
#else
    static PosixManagerLock locks;
#endif
    return locks;
}

}  // namespace bh::cli
