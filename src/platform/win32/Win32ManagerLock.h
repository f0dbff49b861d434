#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "core/app/ManagerLock.h"

namespace bh {

// A lock file named by a hash of the manager's real path (letter case folded), in the user's
// temporary folder, opened without sharing: a second program's open fails with a sharing
// violation until the first one closes it or ends. Nothing is created beside the manager.
// Holds of one manager within this process share one handle and count, so they nest.
class Win32ManagerLock : public ManagerLock {
  public:
    Win32ManagerLock() = default;
    ~Win32ManagerLock() override;
    Win32ManagerLock(const Win32ManagerLock&) = delete;
    Win32ManagerLock& operator=(const Win32ManagerLock&) = delete;

    std::unique_ptr<ManagerLockHold> TryLock(const std::string& managerPath) override;

    // The lock file for a manager path; empty when there is no folder for it.
    static std::string LockFileFor(const std::string& managerPath);

  private:
    class Hold;
    struct Held {
        HANDLE file = INVALID_HANDLE_VALUE;
        int count = 0;
    };

    void Release(const std::string& lockFile);

    std::mutex mutex_;
    std::map<std::string, Held> held_;
};

}  // namespace bh
