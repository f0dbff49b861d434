#pragma once

#include <cstdint>

namespace bh {

// A system error number as the platform reports it: errno values on POSIX, Win32 codes on
// Windows. 0 means success. It is stored in entries (lastError) and shown through
// SystemErrors, so the core never interprets the number itself.
using ErrorCode = std::uint32_t;

constexpr ErrorCode kNoError = 0;

}  // namespace bh
