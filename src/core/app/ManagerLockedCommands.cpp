#include "core/app/ManagerLockedCommands.h"

#include <algorithm>
#include <array>
#include <memory>

#include "core/base/CommandIds.h"
#include "core/document/BrackenholdDoc.h"
#include "core/operations/ManagerGuard.h"
#include "core/ports/ManagerLock.h"
#include "core/ports/Services.h"

namespace bh {

namespace {

// Verify writes nothing, but a backup by another program meanwhile would replace the
// archives it compares.
constexpr std::array kLockedCommands = {kCmdFileSave,       kCmdBackupAll,
                                        kCmdBackupSelected, kCmdRestoreSelected,
                                        kCmdRestoreVersion, kCmdVerifySelected};

constexpr std::array<std::string_view, 8> kLockedCliCommands = {
    "new", "add", "import", "backup", "restore", "remove", "settings", "verify"};

}  // namespace

bool CommandNeedsManagerLock(int commandId) {
    return std::ranges::find(kLockedCommands, commandId) != kLockedCommands.end();
}

bool CliCommandNeedsManagerLock(std::string_view name) {
    return std::ranges::find(kLockedCliCommands, name) != kLockedCliCommands.end();
}

bool RunWithManagerLock(int commandId, CBrackenholdDoc& doc, const std::function<void()>& command) {
    Services& services = doc.services();
    std::unique_ptr<ManagerLockHold> hold;
    if (CommandNeedsManagerLock(commandId) && services.managerLock != nullptr &&
        !LockForCommand(services.ui, services.systemErrors, *services.managerLock, doc.PathName(),
                        hold)) {
        return false;
    }
    command();
    return true;
}

}  // namespace bh
