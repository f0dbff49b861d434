#include "gui-win32/Win32StatusProgress.h"

#include "gui-win32/WideText.h"
#include "gui-win32/Win32StatusBar.h"

namespace bh {
namespace {

Win32StatusProgress* g_current = nullptr;

constexpr int kBarWidth = 150;
constexpr int kCancelWidth = 60;

int CaptionWidth(HWND bar, const std::wstring& caption) {
    const HDC dc = GetDC(bar);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(bar, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(bar, dc);
    return size.cx;
}

}  // namespace

Win32StatusProgress::Win32StatusProgress(HWND frame, Win32StatusBar& bar,
                                         const std::string& caption, std::function<void()> pump)
    : frame_(frame), bar_(bar), pump_(std::move(pump)), previous_(g_current) {
    g_current = this;
    bar_.SetPaneText(0, caption);
    const RECT pane = bar_.MessagePaneRect();
    const int left = pane.left + CaptionWidth(bar_.handle(), Wide(caption)) + 12;
    width_ = kBarWidth;
    progress_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | PBS_SMOOTH, left, pane.top + 2,
                                width_, pane.bottom - pane.top - 4, frame_, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    SetWindowPos(progress_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Show();
}

Win32StatusProgress::~Win32StatusProgress() {
    g_current = previous_;
    if (cancelButton_)
        DestroyWindow(cancelButton_);
    DestroyWindow(progress_);
    bar_.SetPaneText(0, "Ready");
}

Win32StatusProgress* Win32StatusProgress::Current() {
    return g_current;
}

void Win32StatusProgress::Show() {
    if (bar_.Visible())
        ShowWindow(progress_, SW_SHOWNA);
    UpdateWindow(progress_);
}

int Win32StatusProgress::Pixel(int pos) const {
    if (upper_ <= lower_)
        return 0;
    const long long clamped = pos < lower_ ? lower_ : (pos > upper_ ? upper_ : pos);
    return static_cast<int>((clamped - lower_) * width_ / (upper_ - lower_));
}

void Win32StatusProgress::SetRange(int lower, int upper) {
    lower_ = lower;
    upper_ = upper;
    SendMessageW(progress_, PBM_SETRANGE32, static_cast<WPARAM>(lower), upper);
    drawnPixel_ = -1;
    SetPos(pos_);
}

void Win32StatusProgress::StepIt() {
    int next = pos_ + step_;
    // The control wraps around at the end of its range.
    if (next > upper_)
        next = lower_ + (next - upper_);
    SetPos(next);
}

void Win32StatusProgress::SetPos(int pos) {
    pos_ = pos;
    const int pixel = Pixel(pos);
    if (pixel == drawnPixel_)
        return;
    drawnPixel_ = pixel;
    ++redraws_;
    SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(pos), 0);
    UpdateWindow(progress_);
    if (pump_)
        pump_();
}

void Win32StatusProgress::AllowCancel() {
    if (cancelButton_)
        return;
    RECT rect{};
    GetWindowRect(progress_, &rect);
    MapWindowPoints(nullptr, frame_, reinterpret_cast<POINT*>(&rect), 2);
    cancelButton_ =
        CreateWindowExW(0, WC_BUTTONW, L"Cancel", WS_CHILD | BS_PUSHBUTTON, rect.right + 6,
                        rect.top, kCancelWidth, rect.bottom - rect.top, frame_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCancelButtonId)),
                        GetModuleHandleW(nullptr), nullptr);
    SendMessageW(cancelButton_, WM_SETFONT, SendMessageW(bar_.handle(), WM_GETFONT, 0, 0), FALSE);
    SetWindowPos(cancelButton_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (bar_.Visible())
        ShowWindow(cancelButton_, SW_SHOWNA);
}

void Win32StatusProgress::RequestCancel() {
    if (!cancelButton_)
        return;
    cancelRequested_ = true;
    EnableWindow(cancelButton_, FALSE);
}

}  // namespace bh
