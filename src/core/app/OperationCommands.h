#pragma once

#include <functional>

#include "core/app/ActionState.h"

namespace bh {

class AutoBackup;
class CBrackenholdDoc;

// How a front end's frame takes a command: its handler, and its update handler (may be empty).
using CommandSetter =
    std::function<void(int id, std::function<void()> run, std::function<ActionState()> update)>;

// The commands on the rows and their files (the Edit and context menus), each enabled and
// checked as the core says. `renameDrive` runs Rename Drive, whose volumes and follow-up
// refresh belong to the front end.
void WireOperationCommands(const CommandSetter& setCommand, CBrackenholdDoc& doc,
                           AutoBackup& autoBackup, std::function<void()> renameDrive);

}  // namespace bh
