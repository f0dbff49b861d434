#pragma once

#include <cstdint>

namespace bh {

// The repeating auto-backup timer. The owner connects its firing to the timer action.
class AutoBackupTimer {
  public:
    virtual ~AutoBackupTimer() = default;
    virtual void Start(std::int64_t periodMs) = 0;
    virtual void Stop() = 0;
};

}  // namespace bh
