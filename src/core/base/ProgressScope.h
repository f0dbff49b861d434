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
// the bar is removed, the wait cursor ends and the idle text is requested.
class ProgressScope {
  public:
    ProgressScope(UserInterface& ui, const std::string& caption, int count) : ui_(ui) {
        ui_.BeginWaitCursor();
        progress_ = ui_.CreateStatusProgress(caption, -1, 10, -1, 1);
        if (progress_) {
            progress_->SetRange(0, count);
            progress_->SetStep(1);
        }
    }
    ~ProgressScope() {
        progress_.reset();
        ui_.EndWaitCursor();
        ui_.ShowIdleMessage();
    }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    void Step() {
        if (progress_) {
            progress_->StepIt();
        }
    }

  private:
    UserInterface& ui_;
    std::unique_ptr<ProgressIndicator> progress_;
};

}  // namespace bh
