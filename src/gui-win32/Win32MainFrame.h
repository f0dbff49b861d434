#pragma once

#include "gui-win32/WinApi.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/app/ActionState.h"
#include "gui-win32/Win32OperationGate.h"
#include "gui-win32/Win32StatusBar.h"
#include "gui-win32/Win32Toolbar.h"

namespace bh {

class SettingsStore;
class Win32ListView;

// The top-level window: menus and accelerators built from the command table, the toolbar in
// the size that matches the list font, the status bar with its five panes, the list view as
// its client, and its placement kept in the settings.
class Win32MainFrame {
  public:
    static constexpr const wchar_t* kClassName = L"BrackenholdMainFrame";
    // Answers whether work runs (1) or not (0), for a driver on another thread.
    static constexpr UINT kMsgQueryBusy = WM_APP + 2;
    // Copy-data tag of a second start's file list (UTF-8 paths, each NUL-terminated).
    static constexpr ULONG_PTR kCopyDataOpen = 0x42484F50;

    Win32MainFrame(SettingsStore& settings, int listFontPoints);
    ~Win32MainFrame();
    Win32MainFrame(const Win32MainFrame&) = delete;
    Win32MainFrame& operator=(const Win32MainFrame&) = delete;

    // Creates the window and its bars; the list view becomes its client.
    bool Create(Win32ListView& view);
    HWND handle() const { return frame_; }
    HACCEL accelerators() const { return accelerators_; }
    Win32StatusBar& statusBar() { return statusBar_; }
    Win32Toolbar& toolbar() { return toolbar_; }
    Win32OperationGate& Gate() { return gate_; }

    void SetCommand(int id, std::function<void()> run, std::function<ActionState()> update = {});
    // Runs a command the way a menu click does: only when its update handler enables it,
    // held while other work runs. Returns whether it ran or was held.
    bool RunCommand(int id);
    // The command's state now.
    ActionState StateOf(int id) const;
    void UpdateCommands();
    void DocumentStateChanged();

    // Runs the handler of command `id`; the program sets it so that the core decides which
    // commands hold the manager's lock.
    std::function<void(int id, const std::function<void()>& handler)> runHandler;

    void ChangeToolbarSize(int index);
    void ActivateFrame();
    void SavePlacement();
    void RefreshCaption(const std::string& title);
    void SetRecentFileTexts(const std::vector<std::string>& texts);
    void ShowContextMenu(POINT screen);
    void SetSummaries(const std::string texts[4]);

    std::function<void(const std::vector<std::string>&)> onFilesDropped;
    std::function<void(const std::vector<std::string>&)> onShellOpen;
    std::function<bool()> onCloseRequest;
    // The window is about to go: the last moment its controls can be read (widths, order).
    std::function<void()> onDestroying;
    std::function<void()> onSessionEnd;
    std::function<void()> onAutoBackupTimer;
    std::function<void()> onEscape;

  private:
    struct Handler {
        std::function<void()> run;
        std::function<ActionState()> update;
    };

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, bool fromAccelerator);
    void Execute(int id);
    void RunHandler(int id);
    void Layout();
    void RebuildMenuBar();
    void UpdateMenu(HMENU menu);
    void OnDropFiles(HDROP drop);
    bool OnCopyData(const COPYDATASTRUCT& data);
    void OnMenuSelect(UINT id, UINT flags, HMENU menu);
    bool OnNotify(const NMHDR& header, LRESULT& result);
    bool RestorePlacement();

    SettingsStore& settings_;
    int listFontPoints_;
    HWND frame_ = nullptr;
    HACCEL accelerators_ = nullptr;
    Win32ListView* view_ = nullptr;
    Win32StatusBar statusBar_;
    Win32Toolbar toolbar_;
    Win32OperationGate gate_;
    std::map<int, Handler> handlers_;
    std::vector<std::wstring> recentTexts_;
    std::wstring tipBuffer_;
    bool firstActivation_ = true;
    bool placementSaved_ = false;
};

// "Title - Brackenhold", or the name alone for an empty title.
std::string FrameCaption(const std::string& title);

}  // namespace bh
