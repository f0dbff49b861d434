#pragma once

#include <functional>
#include <string_view>

namespace bh {

class CBrackenholdDoc;

// Whether a command of the program (a kCmd... id) writes the manager file or the files it
// lists (or compares them, which a backup meanwhile would upset) and so must hold the
// manager's lock for as long as it runs. Commands that only change
// the entries in memory need none: their save takes it (SaveDocumentFile).
bool CommandNeedsManagerLock(int commandId);

// The same for a command of brackenhold-cli by name. Each reads, changes and saves a manager in
// one run, so every command that changes it holds the lock from before it reads.
bool CliCommandNeedsManagerLock(std::string_view name);

// Runs `command`, holding the document's manager lock when CommandNeedsManagerLock(commandId).
// A lock another program holds, or one that cannot be kept, is told (LockForCommand) and the
// command does not run. Returns whether it ran. Without a lock port nothing is locked.
bool RunWithManagerLock(int commandId, CBrackenholdDoc& doc, const std::function<void()>& command);

}  // namespace bh
