#pragma once

#include "core/ports/Clock.h"

namespace bh {

// A clock that shows a set time; local time is UTC plus a fixed offset in seconds.
class FixedClock : public Clock {
  public:
    explicit FixedClock(std::int64_t now = 0, std::int64_t utcOffsetSeconds = 0)
        : now_(now), offset_(utcOffsetSeconds) {}
    void Set(std::int64_t now) { now_ = now; }
    std::int64_t Now() const override { return now_; }
    bool LocalTime(std::int64_t seconds, std::tm& out) const override;
    // Follows the set time, so that a test moves both clocks with Set.
    std::int64_t SteadyMilliseconds() const override { return now_ * 1000; }

  private:
    std::int64_t now_;
    std::int64_t offset_;
};

}  // namespace bh
