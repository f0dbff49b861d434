#include "gui-win32/Win32MainFrame.h"

#include <algorithm>
#include <cstdio>

#include "core/app/CommandTable.h"
#include "core/base/AppName.h"
#include "core/base/CommandIds.h"
#include "core/base/Format.h"
#include "core/base/Settings.h"
#include "gui-win32/WideText.h"
#include "gui-win32/Win32ListView.h"
#include "gui-win32/Win32Menus.h"
#include "gui-win32/Win32StatusProgress.h"

namespace bh {

std::string FrameCaption(const std::string& title) {
    return title.empty() ? std::string(kAppName) : title + " - " + kAppName;
}

Win32MainFrame::Win32MainFrame(SettingsStore& settings, int listFontPoints)
    : settings_(settings), listFontPoints_(listFontPoints) {
    gate_.onIdle = [this] { UpdateCommands(); };
}

Win32MainFrame::~Win32MainFrame() {
    if (frame_) {
        SetWindowLongPtrW(frame_, GWLP_USERDATA, 0);
        DestroyWindow(frame_);
    }
    if (accelerators_)
        DestroyAcceleratorTable(accelerators_);
}

bool Win32MainFrame::Create(Win32ListView& view) {
    view_ = &view;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);
    frame_ = CreateWindowExW(WS_EX_ACCEPTFILES, kClassName, Wide(kAppName).c_str(),
                             WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    if (!frame_)
        return false;
    toolbar_.Create(frame_);
    statusBar_.Create(frame_);
    view.Create(frame_);
    std::vector<ACCEL> keys = TableAccelerators();
    accelerators_ = CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
    recentTexts_.assign(kRecentFileCount, L"");
    RebuildMenuBar();
    toolbar_.ChangeSize(ToolbarIndexForPoints(listFontPoints_));
    Layout();
    return true;
}

LRESULT CALLBACK Win32MainFrame::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* frame = reinterpret_cast<Win32MainFrame*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!frame || (frame->frame_ != window && frame->frame_ != nullptr))
        return DefWindowProcW(window, message, wParam, lParam);
    if (!frame->frame_)
        frame->frame_ = window;
    return frame->Handle(message, wParam, lParam);
}

LRESULT Win32MainFrame::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            Layout();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam) == 1);
            return 0;
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result))
                return result;
            break;
        }
        case WM_INITMENUPOPUP:
            UpdateMenu(reinterpret_cast<HMENU>(wParam));
            return 0;
        case WM_MENUSELECT:
            OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
            return 0;
        case WM_TIMER:
            if (wParam == kAutoBackupTimerId && onAutoBackupTimer)
                onAutoBackupTimer();
            return 0;
        case WM_DROPFILES:
            OnDropFiles(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_COPYDATA:
            return OnCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam)) ? TRUE : FALSE;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wParam && onSessionEnd)
                onSessionEnd();
            return 0;
        case WM_CLOSE:
            if (onCloseRequest && !onCloseRequest())
                return 0;
            if (!placementSaved_)
                SavePlacement();
            if (onDestroying)
                onDestroying();
            DestroyWindow(frame_);
            return 0;
        case WM_DESTROY:
            frame_ = nullptr;
            PostQuitMessage(0);
            return 0;
        case Win32ListView::kMsgRefresh:
            if (view_)
                view_->Refresh();
            return 0;
        case kMsgQueryBusy:
            return gate_.Busy() ? 1 : 0;
        default:
            break;
    }
    return DefWindowProcW(frame_, message, wParam, lParam);
}

void Win32MainFrame::Layout() {
    if (!view_ || !view_->handle())
        return;
    toolbar_.Resize();
    statusBar_.Resize();
    RECT client{};
    GetClientRect(frame_, &client);
    const int top = toolbar_.Height();
    const int bottom = client.bottom - statusBar_.Height();
    MoveWindow(view_->handle(), 0, top, client.right, bottom > top ? bottom - top : 0, TRUE);
}

void Win32MainFrame::OnCommand(int id, bool fromAccelerator) {
    if (id == Win32StatusProgress::kCancelButtonId) {
        if (auto* progress = Win32StatusProgress::Current())
            progress->RequestCancel();
        return;
    }
    // Escape while work runs stops it, as the Cancel button does.
    if (fromAccelerator && id == kCmdSelectNone && gate_.Busy()) {
        if (onEscape)
            onEscape();
        return;
    }
    if (id == kCmdViewToolbar) {
        toolbar_.SetVisible(!toolbar_.Visible());
        Layout();
        return;
    }
    if (id == kCmdViewStatusBar) {
        statusBar_.SetVisible(!statusBar_.Visible());
        Layout();
        return;
    }
    const ActionState state = StateOf(id);
    if (!state.enabled)
        return;
    Execute(id);
}

void Win32MainFrame::RunHandler(int id) {
    const auto found = handlers_.find(id);
    if (found == handlers_.end() || !found->second.run)
        return;
    if (runHandler)
        runHandler(id, found->second.run);
    else
        found->second.run();
}

void Win32MainFrame::Execute(int id) {
    // The about box reads nothing of the document, so a timer tick may run behind it.
    if (id == kCmdAbout) {
        RunHandler(id);
        UpdateCommands();
        return;
    }
    gate_.RunIfIdle([this, id] { RunHandler(id); });
}

void Win32MainFrame::SetCommand(int id, std::function<void()> run,
                                std::function<ActionState()> update) {
    handlers_[id] = Handler{std::move(run), std::move(update)};
}

ActionState Win32MainFrame::StateOf(int id) const {
    if (id == kCmdViewToolbar)
        return ActionState{true, true, toolbar_.Visible(), {}};
    if (id == kCmdViewStatusBar)
        return ActionState{true, true, statusBar_.Visible(), {}};
    const auto found = handlers_.find(id);
    if (found == handlers_.end())
        return ActionState{false, false, false, {}};
    if (!found->second.update)
        return ActionState{};
    return found->second.update();
}

bool Win32MainFrame::RunCommand(int id) {
    if (!StateOf(id).enabled)
        return false;
    if (gate_.Busy()) {
        gate_.RunOrHold([this, id] {
            if (StateOf(id).enabled)
                RunHandler(id);
        });
        return true;
    }
    Execute(id);
    return true;
}

void Win32MainFrame::UpdateCommands() {
    for (const int id : {kCmdFileNew, kCmdFileOpen, kCmdFileSave, kCmdBackupAll, kCmdAbout})
        toolbar_.Enable(id, StateOf(id).enabled);
}

void Win32MainFrame::DocumentStateChanged() {
    if (!gate_.Busy())
        UpdateCommands();
}

void Win32MainFrame::UpdateMenu(HMENU menu) {
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        const UINT id = GetMenuItemID(menu, position);
        if (id == static_cast<UINT>(-1) || id == 0)
            continue;
        const ActionState state = StateOf(static_cast<int>(id));
        EnableMenuItem(menu, id, MF_BYCOMMAND | (state.enabled ? MF_ENABLED : MF_GRAYED));
        CheckMenuItem(menu, id, MF_BYCOMMAND | (state.checked ? MF_CHECKED : MF_UNCHECKED));
        if (!state.text.empty()) {
            std::wstring text = Wide(state.text);
            const CommandInfo* info = FindCommand(static_cast<int>(id));
            if (info && *info->shortcut != '\0')
                text += L"\t" + Wide(info->shortcut);
            ModifyMenuW(menu, id,
                        MF_BYCOMMAND | MF_STRING | (state.enabled ? MF_ENABLED : MF_GRAYED) |
                            (state.checked ? MF_CHECKED : MF_UNCHECKED),
                        id, text.c_str());
        }
    }
}

void Win32MainFrame::RebuildMenuBar() {
    const HMENU bar = BuildMenu(MenuBarLayout(), true, [this](int id) {
        return recentTexts_[static_cast<std::size_t>(id - kCmdRecentFileFirst)];
    });
    const HMENU old = GetMenu(frame_);
    SetMenu(frame_, bar);
    if (old)
        DestroyMenu(old);
    DrawMenuBar(frame_);
}

void Win32MainFrame::SetRecentFileTexts(const std::vector<std::string>& texts) {
    for (int i = 0; i < kRecentFileCount; ++i) {
        const bool present = i < static_cast<int>(texts.size()) && !texts[i].empty();
        recentTexts_[static_cast<std::size_t>(i)] =
            present ? L"&" + std::to_wstring(i + 1) + L" " + EscapeAmpersands(Wide(texts[i])) : L"";
    }
    RebuildMenuBar();
}

void Win32MainFrame::ShowContextMenu(POINT screen) {
    const HMENU menu = BuildMenu(ContextMenuLayout(), false, [](int) { return std::wstring(); });
    UpdateMenu(menu);
    for (int position = 0; position < GetMenuItemCount(menu); ++position) {
        if (const HMENU sub = GetSubMenu(menu, position))
            UpdateMenu(sub);
    }
    const int id = static_cast<int>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x,
                                                   screen.y, 0, frame_, nullptr));
    DestroyMenu(menu);
    if (id != 0)
        RunCommand(id);
}

void Win32MainFrame::ChangeToolbarSize(int index) {
    toolbar_.ChangeSize(index);
    UpdateCommands();
    Layout();
}

void Win32MainFrame::RefreshCaption(const std::string& title) {
    SetWindowTextW(frame_, Wide(FrameCaption(title)).c_str());
}

void Win32MainFrame::SetSummaries(const std::string texts[4]) {
    // Panes 1 to 4 carry the ids 104, 103, 101 and 102; the texts come as 101 to 104.
    statusBar_.SetPaneText(1, texts[3]);
    statusBar_.SetPaneText(2, texts[2]);
    statusBar_.SetPaneText(3, texts[0]);
    statusBar_.SetPaneText(4, texts[1]);
}

void Win32MainFrame::OnMenuSelect(UINT id, UINT flags, HMENU menu) {
    // The menu closed: the message pane says "Ready" again.
    if (flags == 0xFFFF && menu == nullptr) {
        statusBar_.SetPaneText(0, "Ready");
        return;
    }
    const CommandInfo* info = (flags & MF_POPUP) ? nullptr : FindCommand(static_cast<int>(id));
    statusBar_.SetPaneText(0, info ? info->statusTip : "");
}

bool Win32MainFrame::OnNotify(const NMHDR& header, LRESULT& result) {
    if (view_ && view_->OnNotify(header, result))
        return true;
    if (header.code == TTN_GETDISPINFOW) {
        auto& tip = *reinterpret_cast<NMTTDISPINFOW*>(const_cast<NMHDR*>(&header));
        const CommandInfo* info = FindCommand(static_cast<int>(header.idFrom));
        tipBuffer_ = info ? Wide(CommandText(*info)) : L"";
        std::erase(tipBuffer_, L'&');
        tipBuffer_.erase(std::remove(tipBuffer_.begin(), tipBuffer_.end(), L'.'), tipBuffer_.end());
        tip.lpszText = tipBuffer_.data();
        result = 0;
        return true;
    }
    return false;
}

void Win32MainFrame::OnDropFiles(HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size()));
        path.resize(path.size() - 1);
        paths.push_back(Utf8(path));
    }
    DragFinish(drop);
    if (!paths.empty() && onFilesDropped)
        onFilesDropped(paths);
}

bool Win32MainFrame::OnCopyData(const COPYDATASTRUCT& data) {
    if (data.dwData != kCopyDataOpen)
        return false;
    const char* bytes = static_cast<const char*>(data.lpData);
    std::vector<std::string> paths;
    std::string current;
    for (DWORD i = 0; i < data.cbData; ++i) {
        if (bytes[i] == '\0') {
            if (!current.empty())
                paths.push_back(current);
            current.clear();
        } else {
            current += bytes[i];
        }
    }
    if (!current.empty())
        paths.push_back(current);
    if (onShellOpen)
        onShellOpen(paths);
    return true;
}

bool Win32MainFrame::RestorePlacement() {
    const std::string rect = ReadSetting(settings_, kSettingWindowRect);
    int left = 0, top = 0, right = 0, bottom = 0;
    if (rect.empty() || std::sscanf(rect.c_str(), "%d %d %d %d", &left, &top, &right, &bottom) != 4)
        return false;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    placement.rcNormalPosition = RECT{left, top, right, bottom};
    const bool maximized = ReadSetting(settings_, kSettingWindowMaximized) != 0;
    const bool minimized = ReadSetting(settings_, kSettingWindowMinimized) != 0;
    placement.showCmd =
        minimized ? SW_SHOWMINIMIZED : (maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    if (minimized && maximized)
        placement.flags = WPF_RESTORETOMAXIMIZED;
    SetWindowPlacement(frame_, &placement);
    return true;
}

void Win32MainFrame::ActivateFrame() {
    if (firstActivation_) {
        firstActivation_ = false;
        if (RestorePlacement()) {
            UpdateWindow(frame_);
            return;
        }
        // Without a stored place: three quarters of the work area, as a new document window.
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        const int width = (work.right - work.left) * 3 / 4;
        const int height = (work.bottom - work.top) * 3 / 4;
        SetWindowPos(frame_, nullptr, work.left + width / 8, work.top + height / 8, width, height,
                     SWP_NOZORDER);
    }
    if (IsIconic(frame_))
        ShowWindow(frame_, SW_RESTORE);
    else
        ShowWindow(frame_, SW_SHOW);
    SetForegroundWindow(frame_);
    UpdateWindow(frame_);
}

void Win32MainFrame::SavePlacement() {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!frame_ || !GetWindowPlacement(frame_, &placement))
        return;
    const RECT& normal = placement.rcNormalPosition;
    WriteSetting(
        settings_, kSettingWindowRect,
        Format("%04d %04d %04d %04d", static_cast<int>(normal.left), static_cast<int>(normal.top),
               static_cast<int>(normal.right), static_cast<int>(normal.bottom)));
    WriteSetting(settings_, kSettingWindowMinimized, placement.showCmd == SW_SHOWMINIMIZED ? 1 : 0);
    WriteSetting(
        settings_, kSettingWindowMaximized,
        placement.showCmd == SW_SHOWMAXIMIZED || (placement.flags & WPF_RESTORETOMAXIMIZED) != 0
            ? 1
            : 0);
    placementSaved_ = true;
}

}  // namespace bh
