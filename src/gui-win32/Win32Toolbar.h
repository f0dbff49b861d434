#pragma once

#include "gui-win32/WinApi.h"

namespace bh {

// The toolbar: New, Open, Save, Backup All and About, in three sizes that follow the list
// font (small, medium, and large with separators between the groups).
class Win32Toolbar {
  public:
    static constexpr int kSetCount = 3;

    // Creates (or makes again) the toolbar window, without buttons until ChangeSize.
    void Create(HWND parent);
    HWND handle() const { return toolbar_; }
    // Loads the set of that index (clamped): 0 small, 1 medium, 2 large.
    void ChangeSize(int index);
    int SizeIndex() const { return index_; }
    void Enable(int id, bool enabled);
    bool IsEnabled(int id) const;
    int ButtonCount() const;
    int Height() const;
    bool Visible() const;
    void SetVisible(bool visible);
    void Resize();

  private:
    HWND parent_ = nullptr;
    bool visible_ = true;  // asked for; the window shows it once the frame is shown
    HWND toolbar_ = nullptr;
    int index_ = -1;
};

// Toolbar set of a font size: (points - 10) / 5, sizes off the table taken to the nearest set.
int ToolbarIndexForPoints(int points);

}  // namespace bh
