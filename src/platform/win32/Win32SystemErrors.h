#pragma once

#include "core/ports/SystemErrors.h"

namespace bh {

// Texts from the system's message table (FormatMessageA) in the user's language; code
// 12003 asks the Internet layer for the server's last response instead.
class Win32SystemErrors : public SystemErrors {
  public:
    std::string MessageText(ErrorCode code) const override;
};

}  // namespace bh
