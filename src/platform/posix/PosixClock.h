#pragma once

#include "core/ports/Clock.h"

namespace bh {

class PosixClock : public Clock {
  public:
    std::int64_t Now() const override;
    bool LocalTime(std::int64_t seconds, std::tm& out) const override;
};

}  // namespace bh
