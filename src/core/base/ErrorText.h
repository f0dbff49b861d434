#pragma once

#include <string>

#include "core/ports/ErrorCode.h"
#include "core/ports/SystemErrors.h"

namespace bh {

// The display text of the calling thread's last error: the system's wording with white
// space trimmed at both ends, or "Last Error = <code>" (the code as a signed number) when
// the system has none. Never empty. The caller sets the last error from the failed call's
// result first (SetLastError).
std::string GetLastErrorText(const SystemErrors& errors);

// The same text for a given code.
std::string ErrorCodeText(const SystemErrors& errors, ErrorCode code);

// The wording of a failure the program itself detected (IsCoreError); empty for any other code.
std::string CoreErrorText(ErrorCode code);

// The system's wording of a code with white space trimmed at both ends; empty when the
// system has none. The platform decides what a code means (on Windows, 12003 brings the
// Internet layer's last server response). A code of the program's own gets its own text.
std::string SystemMessageTrimmed(const SystemErrors& errors, ErrorCode code);

}  // namespace bh
