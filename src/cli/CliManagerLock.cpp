#include "cli/CliManagerLock.h"

#include "core/base/ErrorText.h"
#include "platform/NativePlatform.h"

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
    static NativeManagerLock locks;
    return locks;
}

std::string SystemErrorText(ErrorCode code) {
    const NativeSystemErrors errors;
    return ErrorCodeText(errors, code);
}

}  // namespace bh::cli
