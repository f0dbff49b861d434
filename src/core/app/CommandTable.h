#pragma once

#include <span>
#include <string>

namespace bh {

// One command of the menus, toolbar and accelerators: its id, the menu text (an '&' marks
// the mnemonic) and its key. Texts that belong to the designed menus stand here once;
// every menu, the toolbar and the context menu take them from this table. Texts the core
// owns (columns, date modes) are asked from the core.
struct CommandInfo {
    int id;
    const char* text;       // null: the core's text (column and date-mode commands)
    const char* shortcut;   // empty when the command has no key
    const char* statusTip;  // shown in the first status pane while the item is hovered
};

std::span<const CommandInfo> Commands();
// The command with this id, or null.
const CommandInfo* FindCommand(int id);
// The command's menu text: the table's, or the core's for the column and date-mode commands.
std::string CommandText(const CommandInfo& info);

// A row of a menu layout: a command, a separator, or a popup with its own rows.
struct MenuItem {
    enum class Kind { Command, Separator, Popup, End };
    Kind kind;
    int id = 0;                       // Command
    const char* text = nullptr;       // Command: own text (null = the table's); Popup: title
    const MenuItem* items = nullptr;  // Popup: rows ending in End
};

// The menu bar: File, Edit, View and Help.
const MenuItem* MenuBarLayout();
// The context menu of the list, in its designed order.
const MenuItem* ContextMenuLayout();

}  // namespace bh
