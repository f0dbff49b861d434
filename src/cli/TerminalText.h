#pragma once

#include <string>
#include <string_view>

namespace bh::cli {

// `text` as it may be printed to a terminal: control bytes (C0, DEL, and C1 in UTF-8) shown
// as \xHH. Paths come from managers and folders other people may have written, and a name
// holding an escape sequence would otherwise recolour, retitle or rewrite the user's terminal.
std::string TerminalText(std::string_view text);

}  // namespace bh::cli
