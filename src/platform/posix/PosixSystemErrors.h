#pragma once

#include "core/ports/SystemErrors.h"

namespace bh {

// errno texts from the C library. A code that is not an errno value gives an empty text,
// so that the caller's numeric fallback applies.
class PosixSystemErrors : public SystemErrors {
  public:
    std::string MessageText(ErrorCode code) const override;
};

}  // namespace bh
