#pragma once

#include <cstdint>

namespace bh {

// A system error number as the platform reports it: errno values on POSIX, Win32 codes on
// Windows. 0 means success. It is stored in entries (lastError) and shown through
// SystemErrors, so the core never interprets a system's number itself.
using ErrorCode = std::uint32_t;

constexpr ErrorCode kNoError = 0;

// Failures that the program itself detects rather than the system. They carry bit 29, which
// Windows reserves for application codes and which no errno value reaches, so they never
// collide with a system code; their texts come from the core (CoreErrorText), not the system.
constexpr ErrorCode kErrorSourceChanged = 0x20000001;  // the source changed while it was copied
constexpr ErrorCode kErrorSharedArchive = 0x20000002;  // another source has the same archive
constexpr ErrorCode kErrorFileInUse = 0x20000003;      // another entry still uses the file

constexpr bool IsCoreError(ErrorCode code) {
    return (code & 0xFFFF0000u) == 0x20000000u;
}

}  // namespace bh
