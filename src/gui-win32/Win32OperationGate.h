#pragma once

#include <deque>
#include <functional>

namespace bh {

// One piece of work on the document at a time. Long operations handle messages while they
// run (for the progress bar and its Cancel button), so a menu command, a timer tick or an
// open request can arrive in the middle: commands are refused, other work is held and runs
// once the running work has ended.
class Win32OperationGate {
  public:
    bool Busy() const { return busy_; }
    // Runs `work` now unless other work runs; returns whether it ran.
    bool RunIfIdle(const std::function<void()>& work);
    // Runs `work` now, or after the running work when there is some.
    void RunOrHold(std::function<void()> work);
    int HeldCount() const { return static_cast<int>(held_.size()); }

    // Called after each piece of work, once nothing runs.
    std::function<void()> onIdle;

  private:
    void Run(const std::function<void()>& work);

    bool busy_ = false;
    std::deque<std::function<void()>> held_;
};

}  // namespace bh
