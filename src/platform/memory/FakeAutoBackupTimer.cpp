#include "platform/memory/FakeAutoBackupTimer.h"

#include <algorithm>

namespace bh {

int FakeAutoBackupTimer::StartCount() const {
    return static_cast<int>(
        std::count_if(events_.begin(), events_.end(), [](std::int64_t e) { return e >= 0; }));
}

int FakeAutoBackupTimer::StopCount() const {
    return static_cast<int>(std::count(events_.begin(), events_.end(), -1));
}

}  // namespace bh
