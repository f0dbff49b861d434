#pragma once

#include "gui-win32/WinApi.h"

#include <string>

namespace bh {

// The status bar with its five panes: the message pane, then the Problems, Obsolete, Files
// and size summaries (ids 104, 103, 101, 102), each as wide as its sizing text.
class Win32StatusBar {
  public:
    static constexpr int kPaneCount = 5;

    void Create(HWND parent);
    HWND handle() const { return bar_; }

    void SetPaneText(int pane, const std::string& text);
    std::string PaneText(int pane) const;
    // The frame resized: the bar follows and the panes keep their widths.
    void Resize();
    int Height() const;
    bool Visible() const;
    void SetVisible(bool visible);
    // Pane 0's rectangle in the parent's client coordinates.
    RECT MessagePaneRect() const;

  private:
    void LayoutPanes();
    HWND bar_ = nullptr;
    bool visible_ = true;  // asked for; the window shows it once the frame is shown
};

}  // namespace bh
