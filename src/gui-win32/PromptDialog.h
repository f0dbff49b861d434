#pragma once

#include "gui-win32/WinApi.h"

#include <string>

#include "core/ports/UserInterface.h"

namespace bh {

// The one-line prompt: an edit field, OK and Cancel, and, when browsing is allowed, a "<"
// button that picks a folder and keeps the file name at the end of the text.
// Returns kIdOk (request.text then holds the edited text) or kIdCancel.
int RunPromptDialog(HWND owner, PromptRequest& request);

// Control ids of the prompt, for whoever drives it.
constexpr int kPromptEditId = 1000;
constexpr int kPromptBrowseId = 1001;

// The folder the "<" browser starts in: the text up to its last separator ("" without one,
// the root for a file in the root).
std::string BrowseStartFolder(const std::string& text);
// The chosen folder, a separator, and the old text's name after its last separator.
std::string JoinBrowsedFolder(const std::string& folder, const std::string& oldText);

}  // namespace bh
