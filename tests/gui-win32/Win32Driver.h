#pragma once

#include "gui-win32/WinApi.h"

#include <optional>
#include <string>
#include <vector>

namespace bh::test {

// A message box or dialog of the program as its controls show it.
struct SeenDialog {
    HWND window = nullptr;
    std::string caption;
    std::vector<std::string> texts;  // the static texts, in the order of the controls
    // All texts joined with a line break.
    std::string Text() const;
};

// Drives the program from a second thread the way a user does, through the window messages
// of its controls, and reads back what they show. The program's thread runs its message
// loop meanwhile (modal loops included).
class Win32Driver {
  public:
    Win32Driver(HWND frame, HWND list, HWND statusBar, HWND toolbar);

    HWND frame() const { return frame_; }

    // A command whose handler shows no dialog: returns once it has run.
    void Command(int id) const;
    // A command that will show a dialog: returns at once.
    void PostCommand(int id) const;
    // Waits until no work runs, no dialog is open, and the posted refresh of the summaries and
    // selection has been handled.
    void WaitIdle() const;
    // The next visible dialog of the program's thread (a message box, the prompt, the about
    // box), or nothing after `timeoutMs`.
    std::optional<SeenDialog> WaitForDialog(int timeoutMs = 15000) const;
    // Presses a dialog's button (IDOK, IDYES, ...) and waits until the dialog is gone.
    void Press(const SeenDialog& dialog, int buttonId) const;
    std::string DialogItemText(const SeenDialog& dialog, int id) const;
    void SetDialogItemText(const SeenDialog& dialog, int id, const std::string& text) const;

    int RowCount() const;
    std::string Cell(int row, int column) const;
    std::vector<std::string> ColumnTexts(int column) const;
    int HeaderCount() const;
    std::string HeaderText(int column) const;
    int ColumnWidth(int column) const;
    void ClickHeader(int column) const;
    void SelectRows(const std::vector<int>& rows) const;
    std::vector<int> SelectedRows() const;

    int PaneCount() const;
    std::string Pane(int pane) const;
    std::string Caption() const;
    int ToolbarButtonCount() const;
    bool ToolbarEnabled(int id) const;

    // A menu item's text, and whether it is enabled and checked, as the menu shows it when
    // opened.
    std::string MenuText(int id) const;
    bool MenuEnabled(int id) const;
    bool MenuChecked(int id) const;

  private:
    HMENU OpenMenuContaining(int id) const;

    HWND frame_;
    HWND list_;
    HWND statusBar_;
    HWND toolbar_;
    DWORD uiThread_;
};

}  // namespace bh::test
