#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>

#include "core/ports/ManagerLock.h"

namespace bh {

// Manager locks for tests: paths in `busy` are held by "another program", paths in
// `unlockable` cannot be locked at all (EACCES); every other path is granted and counted
// while held.
class FakeManagerLock : public ManagerLock {
  public:
    using ManagerLock::TryLock;
    std::unique_ptr<ManagerLockHold> TryLock(const std::string& managerPath,
                                             LockRefusal& refusal) override;

    // Paths another program holds.
    std::set<std::string> busy;
    // Paths for which no lock can be kept.
    std::set<std::string> unlockable;
    // How many holds of each path are alive now.
    int HeldCount(const std::string& managerPath) const;
    // How many TryLock calls were made, granted or not.
    int attempts = 0;

  private:
    class Hold;
    std::map<std::string, int> held_;
};

}  // namespace bh
