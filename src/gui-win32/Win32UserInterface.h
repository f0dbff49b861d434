#pragma once

#include "gui-win32/WinApi.h"

#include <functional>
#include <string>
#include <vector>

#include "core/ports/UserInterface.h"

namespace bh {

class Win32StatusBar;

// The core's user interface as Windows' own: message boxes, the common file dialogs, the
// prompt dialog, the wait cursor and the progress bar in the status bar. The core's flags
// and answers have the Win32 values, so they pass through unchanged.
class Win32UserInterface : public UserInterface {
  public:
    Win32UserInterface(HWND owner, Win32StatusBar& statusBar, std::function<void()> pump);

    void SetOwner(HWND owner) { owner_ = owner; }

    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    FileDialogResult FileDialog(const FileDialogRequest& request) override;
    int Prompt(PromptRequest& request) override;
    int ChooseFromList(const std::string& text, const std::string& caption,
                       const std::vector<std::string>& items) override;
    void Beep() override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    std::unique_ptr<ProgressIndicator> CreateStatusProgress(const std::string& caption) override;
    void ShowIdleMessage() override;
    void RefreshCaption(const std::string& title) override;

    std::function<void(const std::string& title)> onCaption;
    bool WaitCursorShown() const { return waitDepth_ > 0; }

  private:
    HWND owner_;
    Win32StatusBar& statusBar_;
    std::function<void()> pump_;
    int waitDepth_ = 0;
    HCURSOR savedCursor_ = nullptr;
};

// The "Name|pattern|...||" filter as the dialogs' double-NUL-terminated list.
std::wstring DialogFilter(const std::string& filter);
// The dialog's answer buffer: one full path, or with several files the folder and then the
// names, each NUL-terminated, the list ending in an empty string.
std::vector<std::string> DialogPaths(const wchar_t* buffer);

}  // namespace bh
