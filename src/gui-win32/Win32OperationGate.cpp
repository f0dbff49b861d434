#include "gui-win32/Win32OperationGate.h"

namespace bh {

bool Win32OperationGate::RunIfIdle(const std::function<void()>& work) {
    if (busy_)
        return false;
    Run(work);
    return true;
}

void Win32OperationGate::RunOrHold(std::function<void()> work) {
    if (busy_) {
        held_.push_back(std::move(work));
        return;
    }
    Run(work);
}

void Win32OperationGate::Run(const std::function<void()>& work) {
    busy_ = true;
    work();
    // Work held meanwhile runs in the order it came, each as its own piece.
    while (!held_.empty()) {
        const std::function<void()> next = std::move(held_.front());
        held_.pop_front();
        next();
    }
    busy_ = false;
    if (onIdle)
        onIdle();
}

}  // namespace bh
