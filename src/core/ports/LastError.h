#pragma once

#include "core/ports/ErrorCode.h"

namespace bh {

// The calling thread's last system error, the counterpart of the Win32 GetLastError.
// Every failing port call sets it before returning, so that a caller can fetch the text of
// the failure (GetLastErrorText) right after the call, as the message boxes require.
ErrorCode GetLastError();
void SetLastError(ErrorCode code);

}  // namespace bh
