#pragma once

#include "gui-win32/WinApi.h"

#include <functional>

#include "core/ports/AutoBackupTimer.h"

namespace bh {

// The auto-backup timer as a window timer of the main frame; the frame calls Fire() on its
// WM_TIMER.
class Win32AutoBackupTimer : public AutoBackupTimer {
  public:
    explicit Win32AutoBackupTimer(HWND owner) : owner_(owner) {}
    ~Win32AutoBackupTimer() override { Stop(); }

    void Start(std::int64_t periodMs) override;
    void Stop() override;
    void SetAction(std::function<void()> action) { action_ = std::move(action); }
    void Fire();
    bool running() const { return running_; }

  private:
    HWND owner_;
    std::function<void()> action_;
    bool running_ = false;
};

}  // namespace bh
