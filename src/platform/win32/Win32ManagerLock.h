#pragma once

#include <cstdint>
#include <string>

#include "core/ports/ManagerLock.h"

namespace bh {

// A lock file named by a hash of the manager's real path (letter case folded), in the user's
// temporary folder, opened without sharing: a second program's open fails with a sharing
// violation until the first one closes it or ends. Nothing is created beside the manager.
// Holds of one manager within this process share one handle and count, so they nest.
class Win32ManagerLock : public NestingManagerLock {
  public:
    Win32ManagerLock() = default;
    ~Win32ManagerLock() override;

    // The lock file for a manager path in `lockFile`; the system's code when there is no
    // folder for it.
    static ErrorCode LockFileFor(const std::string& managerPath, std::string& lockFile);

  protected:
    ErrorCode LockFile(const std::string& managerPath, std::string& lockFile) const override {
        return LockFileFor(managerPath, lockFile);
    }
    Acquired TakeFileLock(const std::string& lockFile, std::intptr_t& handle,
                          ErrorCode& error) override;
    void DropFileLock(std::intptr_t handle) override;
};

}  // namespace bh
