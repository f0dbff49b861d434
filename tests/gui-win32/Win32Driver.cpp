#include "Win32Driver.h"

#include <chrono>
#include <thread>

#include "gui-win32/WideText.h"
#include "gui-win32/Win32ListView.h"
#include "gui-win32/Win32MainFrame.h"

namespace bh::test {
namespace {

void Pause() {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return Utf8(text);
}

BOOL CALLBACK CollectDialog(HWND window, LPARAM data) {
    if (IsWindowVisible(window) && ClassOf(window) == L"#32770") {
        *reinterpret_cast<HWND*>(data) = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectStatic(HWND child, LPARAM data) {
    if (ClassOf(child) == L"Static") {
        const std::string text = WindowText(child);
        if (!text.empty())
            reinterpret_cast<std::vector<std::string>*>(data)->push_back(text);
    }
    return TRUE;
}

HMENU FindSubMenu(HMENU menu, int id) {
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        if (GetMenuItemID(menu, position) == static_cast<UINT>(id))
            return menu;
        if (const HMENU sub = GetSubMenu(menu, position)) {
            if (const HMENU found = FindSubMenu(sub, id))
                return found;
        }
    }
    return nullptr;
}

}  // namespace

std::string SeenDialog::Text() const {
    std::string joined;
    for (const std::string& text : texts)
        joined += (joined.empty() ? "" : "\n") + text;
    return joined;
}

Win32Driver::Win32Driver(HWND frame, HWND list, HWND statusBar, HWND toolbar)
    : frame_(frame),
      list_(list),
      statusBar_(statusBar),
      toolbar_(toolbar),
      uiThread_(GetWindowThreadProcessId(frame, nullptr)) {}

void Win32Driver::Command(int id) const {
    SendMessageW(frame_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    WaitIdle();
}

void Win32Driver::PostCommand(int id) const {
    PostMessageW(frame_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void Win32Driver::WaitIdle() const {
    // A dialog nobody answers would hold the run forever: the caller's checks fail instead.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < end) {
        HWND dialog = nullptr;
        EnumThreadWindows(uiThread_, CollectDialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog && SendMessageW(frame_, Win32MainFrame::kMsgQueryBusy, 0, 0) == 0)
            break;
        Pause();
    }
    SendMessageW(frame_, Win32ListView::kMsgRefresh, 0, 0);
}

std::optional<SeenDialog> Win32Driver::WaitForDialog(int timeoutMs) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        HWND dialog = nullptr;
        EnumThreadWindows(uiThread_, CollectDialog, reinterpret_cast<LPARAM>(&dialog));
        if (dialog) {
            SeenDialog seen;
            seen.window = dialog;
            seen.caption = WindowText(dialog);
            EnumChildWindows(dialog, CollectStatic, reinterpret_cast<LPARAM>(&seen.texts));
            return seen;
        }
        Pause();
    }
    return std::nullopt;
}

void Win32Driver::Press(const SeenDialog& dialog, int buttonId) const {
    PostMessageW(dialog.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog.window, buttonId)));
    while (IsWindow(dialog.window) && IsWindowVisible(dialog.window))
        Pause();
}

std::string Win32Driver::DialogItemText(const SeenDialog& dialog, int id) const {
    return WindowText(GetDlgItem(dialog.window, id));
}

void Win32Driver::SetDialogItemText(const SeenDialog& dialog, int id,
                                    const std::string& text) const {
    SendMessageW(GetDlgItem(dialog.window, id), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

int Win32Driver::RowCount() const {
    return static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
}

std::string Win32Driver::Cell(int row, int column) const {
    wchar_t buffer[1024] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 1024;
    SendMessageW(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
    return Utf8(buffer);
}

std::vector<std::string> Win32Driver::ColumnTexts(int column) const {
    std::vector<std::string> texts;
    for (int row = 0; row < RowCount(); ++row)
        texts.push_back(Cell(row, column));
    return texts;
}

int Win32Driver::HeaderCount() const {
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
    return static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
}

std::string Win32Driver::HeaderText(int column) const {
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
    wchar_t buffer[256] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = buffer;
    item.cchTextMax = 256;
    SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&item));
    return Utf8(buffer);
}

int Win32Driver::ColumnWidth(int column) const {
    return static_cast<int>(
        SendMessageW(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

void Win32Driver::ClickHeader(int column) const {
    // What the list tells its parent when a header item is clicked.
    NMLISTVIEW click{};
    click.hdr.hwndFrom = list_;
    click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list_));
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    SendMessageW(frame_, WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    WaitIdle();
}

void Win32Driver::SelectRows(const std::vector<int>& rows) const {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED;
    state.state = 0;
    SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&state));
    state.state = LVIS_SELECTED;
    for (int row : rows)
        SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&state));
    WaitIdle();
}

std::vector<int> Win32Driver::SelectedRows() const {
    std::vector<int> rows;
    int row = -1;
    while ((row = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                                LVNI_SELECTED))) >= 0)
        rows.push_back(row);
    return rows;
}

int Win32Driver::PaneCount() const {
    return static_cast<int>(SendMessageW(statusBar_, SB_GETPARTS, 0, 0));
}

std::string Win32Driver::Pane(int pane) const {
    wchar_t buffer[512] = {};
    const LRESULT length =
        SendMessageW(statusBar_, SB_GETTEXTLENGTHW, static_cast<WPARAM>(pane), 0);
    if (LOWORD(length) >= 512)
        return {};
    SendMessageW(statusBar_, SB_GETTEXTW, static_cast<WPARAM>(pane),
                 reinterpret_cast<LPARAM>(buffer));
    return Utf8(buffer);
}

std::string Win32Driver::Caption() const {
    return WindowText(frame_);
}

int Win32Driver::ToolbarButtonCount() const {
    return static_cast<int>(SendMessageW(toolbar_, TB_BUTTONCOUNT, 0, 0));
}

bool Win32Driver::ToolbarEnabled(int id) const {
    return SendMessageW(toolbar_, TB_ISBUTTONENABLED, static_cast<WPARAM>(id), 0) != 0;
}

HMENU Win32Driver::OpenMenuContaining(int id) const {
    const HMENU menu = FindSubMenu(GetMenu(frame_), id);
    // What the frame hears when the user opens that menu: its items' states are set then.
    if (menu)
        SendMessageW(frame_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    return menu;
}

std::string Win32Driver::MenuText(int id) const {
    const HMENU menu = OpenMenuContaining(id);
    if (!menu)
        return {};
    wchar_t buffer[256] = {};
    GetMenuStringW(menu, static_cast<UINT>(id), buffer, 256, MF_BYCOMMAND);
    return Utf8(buffer);
}

bool Win32Driver::MenuEnabled(int id) const {
    const HMENU menu = OpenMenuContaining(id);
    return menu && (GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND) &
                    (MF_GRAYED | MF_DISABLED)) == 0;
}

bool Win32Driver::MenuChecked(int id) const {
    const HMENU menu = OpenMenuContaining(id);
    return menu && (GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND) & MF_CHECKED) != 0;
}

}  // namespace bh::test
