#pragma once

#include "gui-win32/WinApi.h"

namespace bh {

class Shell;
class UserInterface;

// The about box: the program's icon, its version, what it is, its licence, and an "email"
// button that opens a mail to the author.
void RunAboutDialog(HWND owner, Shell& shell, UserInterface& ui);

// Control ids, for whoever drives the box.
constexpr int kAboutVersionId = 1100;
constexpr int kAboutEmailId = 1101;

}  // namespace bh
