#pragma once

#include <string>

#include "core/ports/ErrorCode.h"

namespace bh {

// The operating system's own wording of an error code (FormatMessage on Windows,
// strerror on POSIX). Returns the text as the system gives it, untrimmed, or an empty
// string when the system has no text for the code.
class SystemErrors {
  public:
    virtual ~SystemErrors() = default;
    virtual std::string MessageText(ErrorCode code) const = 0;
};

}  // namespace bh
