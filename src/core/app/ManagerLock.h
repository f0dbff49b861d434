#pragma once

#include <memory>
#include <string>

namespace bh {

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
    // null when another program holds it. A lock this program already holds is taken again
    // (holds nest). When no lock can be kept at all (no private folder for the lock files)
    // the hold holds nothing, so that the work is not refused for want of a lock.
    virtual std::unique_ptr<ManagerLockHold> TryLock(const std::string& managerPath) = 0;
};

// The message shown when another program works on the manager.
std::string ManagerBusyText(const std::string& managerPath);

}  // namespace bh
