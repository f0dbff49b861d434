#pragma once

#include "gui-win32/WinApi.h"

#include <functional>
#include <string>
#include <vector>

#include "core/app/CommandTable.h"

namespace bh {

// The menu text of a row: its own, or the table's (the core's for columns and date modes),
// with the command's key after a tab.
std::wstring MenuItemText(const MenuItem& item);

// Builds a menu (a bar when `bar`) from a layout. `recentText` gives the recent-file entries'
// texts; an entry with none is left out.
HMENU BuildMenu(const MenuItem* items, bool bar,
                const std::function<std::wstring(int id)>& recentText);

// A "Ctrl+N", "Del", "Esc" or "F1" key as an accelerator for `id`; false for an empty or
// unknown key.
bool ParseShortcut(const char* shortcut, int id, ACCEL& accel);
// The accelerators of every command in the table that has a key.
std::vector<ACCEL> TableAccelerators();

}  // namespace bh
