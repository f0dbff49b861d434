#pragma once

#include <string>

namespace bh {
struct BackupResult;
}

namespace bh::cli {

// What `backup --notify` adds to a run: a desktop notification when it failed or partly
// failed (a problem entry, or the manager could not be saved), nothing for a clean run and
// nothing where no session bus is reachable. Never changes the run's exit code.
void NotifyBackupRun(const std::string& manager, const BackupResult& result);

// The same when the run could not start: the manager could not be opened (`reason` may be
// empty when the cause was printed already).
void NotifyBackupNotOpened(const std::string& manager, const std::string& reason = "");

}  // namespace bh::cli
