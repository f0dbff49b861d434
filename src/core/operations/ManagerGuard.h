#pragma once

#include <memory>
#include <string>

namespace bh {

class ManagerLock;
class ManagerLockHold;
class SystemErrors;
class UserInterface;

inline constexpr const char* kManagerBusyCaption = "Brackenhold";

// Takes the lock of the manager at `path` for a command the user started. When another
// program holds it, shows the busy message; when no lock can be kept at all, says so with the
// system's reason; either way returns false and the command must not run. An untitled manager
// (empty path) needs no lock. The hold is kept in `hold`.
bool LockForCommand(UserInterface& ui, const SystemErrors& errors, ManagerLock& lock,
                    const std::string& path, std::unique_ptr<ManagerLockHold>& hold);

}  // namespace bh
