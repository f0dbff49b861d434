#pragma once

#include <cstdint>
#include <vector>

#include "core/ports/AutoBackupTimer.h"

namespace bh {

// Records the timer's starts and stops. Start(p) is recorded as p, Stop as -1.
class FakeAutoBackupTimer : public AutoBackupTimer {
  public:
    void Start(std::int64_t periodMs) override {
        running_ = true;
        periodMs_ = periodMs;
        events_.push_back(periodMs);
    }
    void Stop() override {
        running_ = false;
        events_.push_back(-1);
    }

    bool IsRunning() const { return running_; }
    // The period of the last Start, 0 before any.
    std::int64_t PeriodMs() const { return periodMs_; }
    const std::vector<std::int64_t>& Events() const { return events_; }
    int StartCount() const;
    int StopCount() const;

  private:
    bool running_ = false;
    std::int64_t periodMs_ = 0;
    std::vector<std::int64_t> events_;
};

}  // namespace bh
