#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "core/ports/ErrorCode.h"

namespace bh {

// Why a lock was not granted: another program holds it (busy), or no lock could be kept at all
// (no private folder for lock files, a lock file that cannot be made), with the system's code.
struct LockRefusal {
    bool busy = false;
    ErrorCode error = kNoError;
};

// Kept while a program backs up, restores or saves a manager; destroying it releases the lock.
class ManagerLockHold {
  public:
    virtual ~ManagerLockHold() = default;
};

// Advisory locks that keep two programs (the desktop program and the command-line program,
// or two of either) from working on one manager file at once. The lock is keyed by the
// manager's real path, so every spelling of one file shares it, and it lives outside the
// manager's folder, so that it survives the atomic rename of a save.
class ManagerLock {
  public:
    virtual ~ManagerLock() = default;

    // Takes the lock of the manager at `managerPath` (the file need not exist yet). Returns
    // null, and says why in `refusal`, when another program holds it or when no lock can be
    // kept at all: a writer must then not go on, since an unlocked run could write the manager
    // at the same time as another program. A lock this program already holds is taken again
    // (holds nest).
    virtual std::unique_ptr<ManagerLockHold> TryLock(const std::string& managerPath,
                                                     LockRefusal& refusal) = 0;

    std::unique_ptr<ManagerLockHold> TryLock(const std::string& managerPath) {
        LockRefusal refusal;
        return TryLock(managerPath, refusal);
    }
};

// The part every platform's lock shares: holds of one lock file within this process share one
// system lock and a count, so nested holds never lock each other out. A platform supplies
// the lock file's name and the taking and dropping of its system lock.
class NestingManagerLock : public ManagerLock {
  public:
    NestingManagerLock() = default;
    NestingManagerLock(const NestingManagerLock&) = delete;
    NestingManagerLock& operator=(const NestingManagerLock&) = delete;

    using ManagerLock::TryLock;
    std::unique_ptr<ManagerLockHold> TryLock(const std::string& managerPath,
                                             LockRefusal& refusal) final;

  protected:
    enum class Acquired { Locked, Busy, Unavailable };

    // The lock file of a manager path in `lockFile`; the system's code when no lock can be
    // kept for it.
    virtual ErrorCode LockFile(const std::string& managerPath, std::string& lockFile) const = 0;
    // Takes the system lock of `lockFile` without waiting; on Locked, `handle` is what
    // DropFileLock is later given. Unavailable says why in `error`.
    virtual Acquired TakeFileLock(const std::string& lockFile, std::intptr_t& handle,
                                  ErrorCode& error) = 0;
    virtual void DropFileLock(std::intptr_t handle) = 0;
    // Drops every lock still held; a platform's destructor calls it, as the base's cannot.
    void DropAll();

  private:
    class Hold;
    struct Held {
        std::intptr_t handle = 0;
        int count = 0;
    };

    void Release(const std::string& lockFile);

    std::mutex mutex_;
    std::map<std::string, Held> held_;
};

// The name of a manager's lock file: `prefix`, a 64-bit hash of the manager's real path in
// hexadecimal, ".lock". Every spelling that resolves to one real path shares the name.
std::string LockFileName(const std::string& prefix, const std::string& realPath);

// The message shown when another program works on the manager.
std::string ManagerBusyText(const std::string& managerPath);

// The message shown when the manager cannot be locked at all; `reason` is the system's text.
std::string ManagerUnlockableText(const std::string& managerPath, const std::string& reason);

}  // namespace bh
