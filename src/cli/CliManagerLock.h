#pragma once

#include <memory>
#include <string>

namespace bh {
class ManagerLockHold;
}

namespace bh::cli {

class CliSession;

// Takes the lock of `manager` (made absolute) for a command that changes it, into `hold`;
// without lock service (none configured) there is nothing to take. False, with the reason
// printed, when another program holds it or it cannot be locked: such a run must not run, as
// it could write the manager beside the other program.
bool LockManager(const std::string& manager, CliSession& session,
                 std::unique_ptr<ManagerLockHold>& hold);

}  // namespace bh::cli
