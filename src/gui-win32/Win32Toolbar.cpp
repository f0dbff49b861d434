#include "gui-win32/Win32Toolbar.h"

#include "core/base/CommandIds.h"

namespace bh {
namespace {

struct Button {
    int id;
    int image;  // in the system's standard set
    bool separatorAfter;
};

const Button kButtons[] = {
    {kCmdFileNew, STD_FILENEW, false},  {kCmdFileOpen, STD_FILEOPEN, false},
    {kCmdFileSave, STD_FILESAVE, true}, {kCmdBackupAll, STD_COPY, true},
    {kCmdAbout, STD_HELP, false},
};

struct Set {
    WPARAM bitmap;
    int buttonSize;
    bool separators;
};

const Set kSets[Win32Toolbar::kSetCount] = {
    {IDB_STD_SMALL_COLOR, 22, false},
    {IDB_STD_LARGE_COLOR, 30, false},
    {IDB_STD_LARGE_COLOR, 38, true},
};

}  // namespace

int ToolbarIndexForPoints(int points) {
    if (points < 10)
        return 0;
    const int index = (points - 10 + 2) / 5;
    return index >= Win32Toolbar::kSetCount ? Win32Toolbar::kSetCount - 1 : index;
}

void Win32Toolbar::Create(HWND parent) {
    parent_ = parent;
    if (toolbar_)
        DestroyWindow(toolbar_);
    toolbar_ = CreateWindowExW(
        0, TOOLBARCLASSNAMEW, nullptr,
        WS_CHILD | (visible_ ? WS_VISIBLE : 0) | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP, 0, 0, 0,
        0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
}

void Win32Toolbar::ChangeSize(int index) {
    index = index < 0 ? 0 : (index >= kSetCount ? kSetCount - 1 : index);
    if (index == index_)
        return;
    index_ = index;
    const Set& set = kSets[index];
    // A toolbar keeps the bitmaps it was given, so another set takes a fresh one.
    Create(parent_);
    TBADDBITMAP bitmap{HINST_COMMCTRL, static_cast<UINT_PTR>(set.bitmap)};
    SendMessageW(toolbar_, TB_ADDBITMAP, 0, reinterpret_cast<LPARAM>(&bitmap));
    for (const Button& button : kButtons) {
        TBBUTTON tb{};
        tb.iBitmap = button.image;
        tb.idCommand = button.id;
        tb.fsState = TBSTATE_ENABLED;
        tb.fsStyle = BTNS_BUTTON;
        SendMessageW(toolbar_, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&tb));
        if (set.separators && button.separatorAfter) {
            TBBUTTON separator{};
            separator.fsStyle = BTNS_SEP;
            SendMessageW(toolbar_, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&separator));
        }
    }
    SendMessageW(toolbar_, TB_SETBUTTONSIZE, 0, MAKELPARAM(set.buttonSize, set.buttonSize));
    SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
}

void Win32Toolbar::Enable(int id, bool enabled) {
    SendMessageW(toolbar_, TB_ENABLEBUTTON, static_cast<WPARAM>(id), MAKELPARAM(enabled, 0));
}

bool Win32Toolbar::IsEnabled(int id) const {
    return SendMessageW(toolbar_, TB_ISBUTTONENABLED, static_cast<WPARAM>(id), 0) != 0;
}

int Win32Toolbar::ButtonCount() const {
    return static_cast<int>(SendMessageW(toolbar_, TB_BUTTONCOUNT, 0, 0));
}

int Win32Toolbar::Height() const {
    if (!Visible())
        return 0;
    RECT rect{};
    GetWindowRect(toolbar_, &rect);
    return rect.bottom - rect.top;
}

bool Win32Toolbar::Visible() const {
    return visible_;
}

void Win32Toolbar::SetVisible(bool visible) {
    visible_ = visible;
    ShowWindow(toolbar_, visible ? SW_SHOW : SW_HIDE);
}

void Win32Toolbar::Resize() {
    SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
}

}  // namespace bh
