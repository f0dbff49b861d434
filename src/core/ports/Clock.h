#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>

namespace bh {

class Clock {
  public:
    virtual ~Clock() = default;

    // Seconds since 1970-01-01 00:00:00 UTC.
    virtual std::int64_t Now() const = 0;

    // Local broken-down time of a count of seconds since 1970 UTC. False when the time
    // cannot be represented.
    virtual bool LocalTime(std::int64_t seconds, std::tm& out) const = 0;

    // Milliseconds of a clock that only moves forward (the user setting the time does not
    // move it), for how long ago something happened. Its zero means nothing.
    virtual std::int64_t SteadyMilliseconds() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

}  // namespace bh
