#pragma once

#include <string>

namespace bh {

// printf-style formatting into a string, for the designed message formats.
[[gnu::format(printf, 1, 2)]] std::string Format(const char* format, ...);

}  // namespace bh
