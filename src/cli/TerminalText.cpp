#include "cli/TerminalText.h"

namespace bh::cli {

namespace {

void AppendHex(std::string& out, unsigned char byte) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const char escape[] = {'\\', 'x', kHex[byte >> 4], kHex[byte & 0x0F]};
    out.append(escape, sizeof escape);
}

// U+0080 to U+009F: the C1 controls, which some terminals obey as ESC sequences.
bool IsC1InUtf8(std::string_view text, std::size_t i) {
    return static_cast<unsigned char>(text[i]) == 0xC2 && i + 1 < text.size() &&
           static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
           static_cast<unsigned char>(text[i + 1]) <= 0x9F;
}

}  // namespace

std::string TerminalText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) {
            AppendHex(out, byte);
        } else if (IsC1InUtf8(text, i)) {
            AppendHex(out, byte);
            AppendHex(out, static_cast<unsigned char>(text[++i]));
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace bh::cli
