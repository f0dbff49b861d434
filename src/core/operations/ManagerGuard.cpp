#include "core/operations/ManagerGuard.h"

#include "core/app/ManagerLock.h"
#include "core/app/MessageBoxFlags.h"
#include "core/app/UserInterface.h"

namespace bh {

bool LockForCommand(UserInterface& ui, ManagerLock& lock, const std::string& path,
                    std::unique_ptr<ManagerLockHold>& hold) {
    if (path.empty()) {
        return true;
    }
    hold = lock.TryLock(path);
    if (hold) {
        return true;
    }
    ui.MessageBox(ManagerBusyText(path), kManagerBusyCaption, kMbOk | kMbIconExclamation);
    return false;
}

}  // namespace bh
