#include "platform/memory/FixedClock.h"

namespace bh {

namespace {

// Days since 1970-01-01 to a civil date (proleptic Gregorian), valid for any 64-bit day.
void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

}  // namespace

bool FixedClock::LocalTime(std::int64_t seconds, std::tm& out) const {
    const std::int64_t local = seconds + offset_;
    std::int64_t days = local / 86400;
    std::int64_t rest = local % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    int year = 0, month = 0, day = 0;
    CivilFromDays(days, year, month, day);
    out = std::tm{};
    out.tm_year = year - 1900;
    out.tm_mon = month - 1;
    out.tm_mday = day;
    out.tm_hour = static_cast<int>(rest / 3600);
    out.tm_min = static_cast<int>(rest % 3600 / 60);
    out.tm_sec = static_cast<int>(rest % 60);
    out.tm_wday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    return true;
}

}  // namespace bh
