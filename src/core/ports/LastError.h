#pragma once

#include "core/ports/ErrorCode.h"

namespace bh {

// The calling thread's last system error, the counterpart of the Win32 GetLastError. Ports
// return their codes and never set it; a caller that builds a designed message text from the
// last error (GetLastErrorText) sets it from the failed call's result just before.
ErrorCode GetLastError();
void SetLastError(ErrorCode code);

}  // namespace bh
