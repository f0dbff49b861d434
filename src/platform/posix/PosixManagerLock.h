#pragma once

#include <cstdint>
#include <string>

#include "core/app/ManagerLock.h"

namespace bh {

// flock(2) on a lock file named by a hash of the manager's real path, in $XDG_RUNTIME_DIR
// or else in /tmp/brackenhold-locks-UID/ (created 0700 and used only when it is this user's own
// private folder). Nothing is created beside the manager. Holds of one manager within this
// process share one descriptor and count, so nested holds never lock each other out.
class PosixManagerLock : public NestingManagerLock {
  public:
    PosixManagerLock() = default;
    ~PosixManagerLock() override;

    // The lock file for a manager path; empty when there is no private folder for it.
    static std::string LockFileFor(const std::string& managerPath);

  protected:
    std::string LockFile(const std::string& managerPath) const override {
        return LockFileFor(managerPath);
    }
    Acquired TakeFileLock(const std::string& lockFile, std::intptr_t& handle) override;
    void DropFileLock(std::intptr_t handle) override;
};

}  // namespace bh
