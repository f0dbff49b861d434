#pragma once

namespace bh {

// The program's name as every message box caption and the settings show it.
inline constexpr const char* kAppName = "Brackenhold";

}  // namespace bh
