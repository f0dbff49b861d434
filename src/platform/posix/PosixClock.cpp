#include "platform/posix/PosixClock.h"

#include <time.h>

namespace bh {

std::int64_t PosixClock::Now() const {
    return static_cast<std::int64_t>(::time(nullptr));
}

bool PosixClock::LocalTime(std::int64_t seconds, std::tm& out) const {
    const auto t = static_cast<time_t>(seconds);
    return ::localtime_r(&t, &out) != nullptr;
}

}  // namespace bh
