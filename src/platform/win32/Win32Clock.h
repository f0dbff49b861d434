#pragma once

#include "core/ports/Clock.h"

namespace bh {

// Time from the C runtime; local time through localtime_s, which refuses times before 1970.
class Win32Clock : public Clock {
  public:
    std::int64_t Now() const override;
    bool LocalTime(std::int64_t seconds, std::tm& out) const override;
};

}  // namespace bh
