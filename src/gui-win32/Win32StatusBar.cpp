#include "gui-win32/Win32StatusBar.h"

#include "gui-win32/WideText.h"

namespace bh {
namespace {

// Sizing texts of panes 1 to 4.
const wchar_t* const kPanePrototypes[Win32StatusBar::kPaneCount - 1] = {
    L"     100 Problems",
    L"     100 Obsolete",
    L"   1000 Files",
    L"     1000 KB",
};

int TextWidth(HWND window, const wchar_t* text) {
    const HDC dc = GetDC(window);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size.cx;
}

}  // namespace

void Win32StatusBar::Create(HWND parent) {
    bar_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"Ready",
                           WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBARS_SIZEGRIP, 0, 0, 0, 0,
                           parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    LayoutPanes();
    SetPaneText(0, "Ready");
}

void Win32StatusBar::LayoutPanes() {
    RECT client{};
    GetClientRect(bar_, &client);
    int edges[kPaneCount] = {};
    int right = client.right - GetSystemMetrics(SM_CXVSCROLL);
    edges[kPaneCount - 1] = -1;
    for (int pane = kPaneCount - 1; pane >= 1; --pane) {
        edges[pane - 1] = right - TextWidth(bar_, kPanePrototypes[pane - 1]) - 8;
        right = edges[pane - 1];
    }
    // The last pane runs to the size grip.
    SendMessageW(bar_, SB_SETPARTS, kPaneCount, reinterpret_cast<LPARAM>(edges));
}

void Win32StatusBar::SetPaneText(int pane, const std::string& text) {
    if (pane < 0 || pane >= kPaneCount)
        return;
    SendMessageW(bar_, SB_SETTEXTW, static_cast<WPARAM>(pane),
                 reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

std::string Win32StatusBar::PaneText(int pane) const {
    const LRESULT info = SendMessageW(bar_, SB_GETTEXTLENGTHW, static_cast<WPARAM>(pane), 0);
    std::wstring text(static_cast<std::size_t>(LOWORD(info)) + 1, L'\0');
    SendMessageW(bar_, SB_GETTEXTW, static_cast<WPARAM>(pane),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(LOWORD(info));
    return Utf8(text);
}

void Win32StatusBar::Resize() {
    SendMessageW(bar_, WM_SIZE, 0, 0);
    LayoutPanes();
}

int Win32StatusBar::Height() const {
    if (!Visible())
        return 0;
    RECT rect{};
    GetWindowRect(bar_, &rect);
    return rect.bottom - rect.top;
}

bool Win32StatusBar::Visible() const {
    return visible_;
}

void Win32StatusBar::SetVisible(bool visible) {
    visible_ = visible;
    ShowWindow(bar_, visible ? SW_SHOW : SW_HIDE);
}

RECT Win32StatusBar::MessagePaneRect() const {
    RECT rect{};
    SendMessageW(bar_, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&rect));
    MapWindowPoints(bar_, GetParent(bar_), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace bh
