#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/ports/ManagerLock.h"

namespace bh::cli {

// Whether the command changes a manager or the files it lists, and so must hold the
// manager's lock for as long as it runs.
bool CommandLocksManager(const std::string& command);

// The manager a command's arguments name: the first argument that is not an option; empty
// when there is none.
std::string ManagerArgument(const std::vector<std::string>& args);

// The platform's manager locks.
ManagerLock& CliManagerLocks();

// The display text of a lock failure's system error code.
std::string SystemErrorText(ErrorCode code);

}  // namespace bh::cli
