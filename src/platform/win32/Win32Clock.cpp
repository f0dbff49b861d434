#include "platform/win32/Win32Clock.h"

#include <time.h>

namespace bh {

std::int64_t Win32Clock::Now() const {
    return static_cast<std::int64_t>(::time(nullptr));
}

bool Win32Clock::LocalTime(std::int64_t seconds, std::tm& out) const {
    const auto t = static_cast<time_t>(seconds);
    return ::localtime_s(&out, &t) == 0;
}

}  // namespace bh
