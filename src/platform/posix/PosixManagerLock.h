#pragma once

#include <cstdint>
#include <string>

#include "core/ports/ManagerLock.h"

namespace bh {

// flock(2) on a lock file named by a hash of the manager's real path, in $XDG_RUNTIME_DIR,
// or without it in /run/user/UID when that is the user's own, or else in
// /tmp/brackenhold-locks-UID/ (created 0700 and used only when it is this user's own private
// folder). Nothing is created beside the manager. Holds of one manager within this
// process share one descriptor and count, so nested holds never lock each other out.
class PosixManagerLock : public NestingManagerLock {
  public:
    PosixManagerLock() = default;
    ~PosixManagerLock() override;

    // The folder of the lock files, ending in '/'. Every program of this user must find the
    // same one whatever its environment: a run from cron has no XDG_RUNTIME_DIR, so without it
    // `sessionFolder` (/run/user/UID, which the system makes for the user's sessions) is used
    // when it is the user's own; else `fallback`, made private, and used only while it is this
    // user's own private folder. Empty, with the system's code in `error`, when none can be had.
    static std::string ChooseLockFolder(const char* runtimeDir, const std::string& sessionFolder,
                                        const std::string& fallback, ErrorCode& error);

    // The lock file for a manager path in `lockFile`; the system's code when there is no
    // private folder for it.
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
