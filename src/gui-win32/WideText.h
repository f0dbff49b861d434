#pragma once

#include <string>
#include <string_view>

namespace bh {

// The core speaks UTF-8; the W functions of Windows speak UTF-16.
std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// Win32's menu and dialog texts use "&&" for a literal '&'.
std::wstring EscapeAmpersands(std::wstring_view text);

}  // namespace bh
