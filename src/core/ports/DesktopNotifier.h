#pragma once

#include <string>

#include "core/ports/ErrorCode.h"

namespace bh {

// The desktop's notification area: a short message that reaches the user while nobody
// watches the program (an unattended backup that failed). Best effort by nature: a desktop
// without a notification service is no reason to fail the run that wanted to tell.
class DesktopNotifier {
  public:
    virtual ~DesktopNotifier() = default;
    // Shows one notification. The texts are bytes; the realisation makes them fit its
    // service. Fails (without waiting long) when no notification service can be reached.
    virtual ErrorCode Notify(const std::string& summary, const std::string& body) = 0;
};

}  // namespace bh
