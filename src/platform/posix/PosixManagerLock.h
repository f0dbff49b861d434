#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "core/app/ManagerLock.h"

namespace bh {

// flock(2) on a lock file named by a hash of the manager's real path, in $XDG_RUNTIME_DIR
// or else in /tmp/brackenhold-locks-UID/ (created 0700 and used only when it is this user's own
// private folder). Nothing is created beside the manager. Holds of one manager within this
// process share one descriptor and count, so nested holds never lock each other out.
class PosixManagerLock : public ManagerLock {
  public:
    PosixManagerLock() = default;
    ~PosixManagerLock() override;
    PosixManagerLock(const PosixManagerLock&) = delete;
    PosixManagerLock& operator=(const PosixManagerLock&) = delete;

    std::unique_ptr<ManagerLockHold> TryLock(const std::string& managerPath) override;

    // The lock file for a manager path; empty when there is no private folder for it.
    static std::string LockFileFor(const std::string& managerPath);

  private:
    class Hold;
    struct Held {
        int fd = -1;
        int count = 0;
    };

    void Release(const std::string& lockFile);

    std::mutex mutex_;
    std::map<std::string, Held> held_;
};

}  // namespace bh
