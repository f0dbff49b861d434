#include "cli/CliBackupNotice.h"

#include <memory>

#include "cli/CliCommand.h"
#include "core/operations/BackupNotice.h"
#include "core/operations/BackupRun.h"
#include "platform/NativePlatform.h"

namespace bh::cli {

void NotifyBackupRun(const std::string& manager, const BackupResult& result) {
    const std::unique_ptr<DesktopNotifier> notifier = MakeNativeDesktopNotifier();
    NotifyBackupOutcome(notifier.get(), AbsolutePath(manager), result);
}

void NotifyBackupNotOpened(const std::string& manager, const std::string& reason) {
    const std::unique_ptr<DesktopNotifier> notifier = MakeNativeDesktopNotifier();
    NotifyManagerNotOpened(notifier.get(), AbsolutePath(manager), reason);
}

}  // namespace bh::cli
