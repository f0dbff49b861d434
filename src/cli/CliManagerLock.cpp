#include "cli/CliManagerLock.h"

#include "cli/CliCommand.h"
#include "cli/CliSession.h"
#include "core/base/ErrorText.h"
#include "core/ports/ManagerLock.h"

namespace bh::cli {

bool LockManager(const std::string& manager, CliSession& session,
                 std::unique_ptr<ManagerLockHold>& hold) {
    ManagerLock* locks = session.services().managerLock;
    if (locks == nullptr) {
        return true;
    }
    const std::string path = AbsolutePath(manager);
    LockRefusal refusal;
    hold = locks->TryLock(path, refusal);
    if (!hold) {
        PrintError(refusal.busy
                       ? ManagerBusyText(path)
                       : ManagerUnlockableText(
                             path, ErrorCodeText(session.services().systemErrors, refusal.error)));
    }
    return hold != nullptr;
}

}  // namespace bh::cli
