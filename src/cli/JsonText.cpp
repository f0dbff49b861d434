#include "cli/JsonText.h"

#include <cstddef>
#include <cstdint>

namespace bh::cli {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The length of the valid UTF-8 sequence at the start of `bytes` (whose first byte is at least
// 0x80), or 0 when none starts there.
std::size_t Utf8SequenceLength(std::string_view bytes) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80;   // the range of the second byte, which rules out overlong
    unsigned char high = 0xBF;  // forms, surrogates and code points above U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

// Bytes a JSON string can hold as they are: printable ASCII other than '"' and '\\'.
bool IsPlain(unsigned char byte) {
    return byte >= 0x20 && byte < 0x80 && byte != '"' && byte != '\\';
}

void AppendEscaped(std::string& out, unsigned char byte) {
    static constexpr char kHex[] = "0123456789abcdef";
    switch (byte) {
        case '"':
            out += "\\\"";
            return;
        case '\\':
            out += "\\\\";
            return;
        case '\n':
            out += "\\n";
            return;
        case '\t':
            out += "\\t";
            return;
        case '\r':
            out += "\\r";
            return;
        default:
            break;
    }
    out += "\\u00";
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(bytes.substr(i));
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

void AppendBase64(std::string& out, std::string_view bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t group = (static_cast<unsigned char>(bytes[i]) << 16) |
                                    (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                                    static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[group >> 18];
        out += kAlphabet[(group >> 12) & 0x3F];
        out += kAlphabet[(group >> 6) & 0x3F];
        out += kAlphabet[group & 0x3F];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest == 0) {
        return;
    }
    std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
    if (rest == 2) {
        group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    }
    out += kAlphabet[group >> 18];
    out += kAlphabet[(group >> 12) & 0x3F];
    out += rest == 2 ? kAlphabet[(group >> 6) & 0x3F] : '=';
    out += '=';
}

namespace {

// AppendJsonString, telling whether every byte was part of valid UTF-8 (no U+FFFD written for
// one), so that a field learns it in the same pass.
bool AppendJsonStringChecked(std::string& out, std::string_view bytes) {
    out += '"';
    bool valid = true;
    std::size_t i = 0;
    while (i < bytes.size()) {
        // Copies a run of plain bytes at once.
        std::size_t run = i;
        while (run < bytes.size() && IsPlain(static_cast<unsigned char>(bytes[run]))) {
            ++run;
        }
        out.append(bytes.data() + i, run - i);
        i = run;
        if (i == bytes.size()) {
            break;
        }
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            AppendEscaped(out, byte);
            ++i;
        } else if (const std::size_t length = Utf8SequenceLength(bytes.substr(i))) {
            out.append(bytes.data() + i, length);
            i += length;
        } else {
            out += kReplacement;
            valid = false;
            ++i;
        }
    }
    out += '"';
    return valid;
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view bytes) {
    AppendJsonStringChecked(out, bytes);
}

void AppendJsonStringField(std::string& out, std::string_view name, std::string_view value) {
    out += '"';
    out += name;
    out += "\": ";
    if (!AppendJsonStringChecked(out, value)) {
        out += ", \"";
        out += name;
        out += "Base64\": \"";
        AppendBase64(out, value);
        out += '"';
    }
}

}  // namespace bh::cli
