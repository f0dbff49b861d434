#include "cli/CliManagerLock.h"

#ifndef _WIN32
#include "platform/posix/PosixManagerLock.h"
#endif

namespace bh::cli {

namespace {

#ifdef _WIN32
// No lock files on this platform yet: every hold is granted and holds nothing.
class UnlockedManagers : public ManagerLock {
  public:
    std::unique_ptr<ManagerLockHold> TryLock(const std::string&) override {
        return std::make_unique<ManagerLockHold>();
    }
};
#endif

}  // namespace

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
    static UnlockedManagers locks;
#else
    static PosixManagerLock locks;
#endif
    return locks;
}

}  // namespace bh::cli
