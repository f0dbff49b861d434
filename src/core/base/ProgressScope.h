#pragma once

#include <memory>
#include <string>

#include "core/ports/UserInterface.h"

namespace bh {

// Asked when the main window is closed while a run that can be stopped (backup, restore,
// status refresh) is going on: Yes stops it between two files and closes afterwards.
inline constexpr const char* kStopRunQuestion =
    "Brackenhold is still copying or checking files.\n\nStop after the file at hand and "
    "close?";

// A long operation's feedback for as long as the object lives: the wait cursor and a
// status-bar progress bar after `caption` with the range 0 to `count`, step 1. When it ends
// the bar is removed, the wait cursor ends and the idle text is requested; the status
// refresh asks for the idle text first, while its bar still shows (IdleText::First).
class ProgressScope {
  public:
    enum class IdleText { Last, First };

    ProgressScope(UserInterface& ui, const std::string& caption, int count,
                  IdleText idle = IdleText::Last)
        : ui_(ui), idle_(idle) {
        ui_.BeginWaitCursor();
        progress_ = ui_.CreateStatusProgress(caption);
        progress_->SetRange(0, count);
        progress_->SetStep(1);
    }
    ~ProgressScope() {
        if (idle_ == IdleText::First) {
            ui_.ShowIdleMessage();
        }
        progress_.reset();
        ui_.EndWaitCursor();
        if (idle_ == IdleText::Last) {
            ui_.ShowIdleMessage();
        }
    }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    void Step() { progress_->StepIt(); }
    void SetPos(int pos) { progress_->SetPos(pos); }
    int Pos() const { return progress_->GetPos(); }
    // For runs that can stop between two files (see ProgressIndicator).
    void AllowCancel() { progress_->AllowCancel(); }
    bool CancelRequested() const { return progress_->CancelRequested(); }

  private:
    UserInterface& ui_;
    const IdleText idle_;
    std::unique_ptr<ProgressIndicator> progress_;
};

}  // namespace bh
