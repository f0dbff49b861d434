#include "core/operations/ManagerGuard.h"

#include "core/base/ErrorText.h"
#include "core/ports/ManagerLock.h"
#include "core/ports/MessageBoxFlags.h"
#include "core/ports/UserInterface.h"

namespace bh {

bool LockForCommand(UserInterface& ui, const SystemErrors& errors, ManagerLock& lock,
                    const std::string& path, std::unique_ptr<ManagerLockHold>& hold) {
    if (path.empty()) {
        return true;
    }
    LockRefusal refusal;
    hold = lock.TryLock(path, refusal);
    if (hold) {
        return true;
    }
    const std::string text =
        refusal.busy ? ManagerBusyText(path)
                     : ManagerUnlockableText(path, ErrorCodeText(errors, refusal.error));
    ui.MessageBox(text, kManagerBusyCaption, kMbOk | kMbIconExclamation);
    return false;
}

}  // namespace bh
