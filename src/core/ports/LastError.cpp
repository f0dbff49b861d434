#include "core/ports/LastError.h"

namespace bh {

namespace {
thread_local ErrorCode lastError = kNoError;
}

ErrorCode GetLastError() {
    return lastError;
}

void SetLastError(ErrorCode code) {
    lastError = code;
}

}  // namespace bh
