#pragma once

#include "gui-win32/WinApi.h"

#include <string>
#include <vector>

namespace bh {

// A list of lines under a text, with OK and Cancel: the index of the line picked (the first
// is selected to begin with; a double-click picks too), or -1 after Cancel.
int RunChoiceDialog(HWND owner, const std::string& text, const std::string& caption,
                    const std::vector<std::string>& items);

// Control ids of the dialog, for whoever drives it.
constexpr int kChoiceTextId = 1010;
constexpr int kChoiceListId = 1011;

}  // namespace bh
