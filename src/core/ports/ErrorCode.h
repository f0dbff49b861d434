#pragma once

#include <cstdint>

namespace bh {

// A system error number as the platform reports it: errno values on POSIX, Win32 codes on
// Windows. No code (0) means success. Every port call that can fail returns one, and the
// compiler insists that it is looked at: a caller either handles it or says why it ignores
// it (IgnoreError). The constructor is explicit so that a code is never mixed up with an
// unrelated integer; entries store the plain number (CFileEntry::lastError) and convert at
// that one place. The core never interprets a system's number itself (SystemErrors does).
class [[nodiscard]] ErrorCode {
  public:
    constexpr ErrorCode() = default;
    constexpr explicit ErrorCode(std::uint32_t value) : value_(value) {}

    constexpr std::uint32_t Value() const { return value_; }
    constexpr bool Failed() const { return value_ != 0; }
    constexpr explicit operator bool() const { return Failed(); }

    friend constexpr bool operator==(ErrorCode, ErrorCode) = default;

  private:
    std::uint32_t value_ = 0;
};

inline constexpr ErrorCode kNoError{};

// Failures that the program itself detects rather than the system. They carry bit 29, which
// Windows reserves for application codes and which no errno value reaches, so they never
// collide with a system code; their texts come from the core (CoreErrorText), not the system.
inline constexpr ErrorCode kErrorSourceChanged{0x20000001};  // the source changed while copied
inline constexpr ErrorCode kErrorSharedArchive{0x20000002};  // another source has the archive
inline constexpr ErrorCode kErrorFileInUse{0x20000003};      // another entry still uses the file
inline constexpr ErrorCode kErrorForeignLink{0x20000004};  // a link another user made, not followed
inline constexpr ErrorCode kErrorContentsDiffer{
    0x20000011};  // the archive's bytes are not the source's
inline constexpr ErrorCode kErrorContentsDifferAfterCopy{0x20000012};  // found right after a copy
inline constexpr ErrorCode kErrorChangedWhileCompared{0x20000013};  // no steady version to compare

constexpr bool IsCoreError(ErrorCode code) {
    return (code.Value() & 0xFFFF0000u) == 0x20000000u;
}

// Marks a failure that the caller deliberately lets pass (a best-effort clean-up with no
// designed report); the call site says why.
constexpr void IgnoreError(ErrorCode) {}

}  // namespace bh
