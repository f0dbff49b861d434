#include "gui-win32/Win32AutoBackupTimer.h"

#include "core/base/CommandIds.h"

namespace bh {

void Win32AutoBackupTimer::Start(std::int64_t periodMs) {
    // SetTimer takes at most about 24.8 days; a longer period is clamped to it.
    const std::int64_t limit = 0x7FFFFFFF;
    const UINT period = static_cast<UINT>(periodMs < 1 ? 1 : (periodMs > limit ? limit : periodMs));
    running_ = SetTimer(owner_, kAutoBackupTimerId, period, nullptr) != 0;
}

void Win32AutoBackupTimer::Stop() {
    if (running_)
        KillTimer(owner_, kAutoBackupTimerId);
    running_ = false;
}

void Win32AutoBackupTimer::Fire() {
    if (running_ && action_)
        action_();
}

}  // namespace bh
