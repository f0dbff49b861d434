#pragma once

#include "gui-win32/WinApi.h"

#include <functional>
#include <string>

#include "core/ports/UserInterface.h"

namespace bh {

class Win32StatusBar;

// The progress bar in the message pane after its caption, with a Cancel button while the
// operation allows it. The bar is redrawn, and pending messages handled, only when its drawn
// position changes: stepping per row of a large manager would otherwise cost far more than
// the work itself.
class Win32StatusProgress : public ProgressIndicator {
  public:
    static constexpr int kCancelButtonId = 0x7F01;

    // `pump` handles the messages waiting for the program's windows.
    Win32StatusProgress(HWND frame, Win32StatusBar& bar, const std::string& caption,
                        std::function<void()> pump);
    ~Win32StatusProgress() override;
    Win32StatusProgress(const Win32StatusProgress&) = delete;
    Win32StatusProgress& operator=(const Win32StatusProgress&) = delete;

    void SetRange(int lower, int upper) override;
    void SetStep(int step) override { step_ = step; }
    void StepIt() override;
    void SetPos(int pos) override;
    int GetPos() const override { return pos_; }
    void AllowCancel() override;
    bool CancelRequested() const override { return cancelRequested_; }

    // The Cancel button or Escape.
    void RequestCancel();
    bool CancelAllowed() const { return cancelButton_ != nullptr; }
    // The indicator shown now, or null.
    static Win32StatusProgress* Current();
    // How many times the bar was redrawn.
    int Redraws() const { return redraws_; }

  private:
    int Pixel(int pos) const;
    void Show();

    HWND frame_;
    Win32StatusBar& bar_;
    std::function<void()> pump_;
    HWND progress_ = nullptr;
    HWND cancelButton_ = nullptr;
    int lower_ = 0;
    int upper_ = 100;
    int step_ = 10;
    int pos_ = 0;
    int drawnPixel_ = -1;
    int width_ = 0;
    int redraws_ = 0;
    bool cancelRequested_ = false;
    Win32StatusProgress* previous_ = nullptr;
};

}  // namespace bh
