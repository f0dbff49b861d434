#pragma once

#include <string>
#include <string_view>

namespace bh::cli {

// Whether `bytes` are valid UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

// Appends `bytes` in standard base64 (RFC 4648), padded with '='.
void AppendBase64(std::string& out, std::string_view bytes);

// Appends `bytes` as a JSON string, quotes included: control characters, quotes and
// backslashes escaped, and each byte that is not part of a valid UTF-8 sequence written as
// U+FFFD, so that the output is valid JSON whatever the bytes.
void AppendJsonString(std::string& out, std::string_view bytes);

// Appends `"name": "value"` and, when `value` is not valid UTF-8, `, "nameBase64": "..."`
// with its exact bytes.
void AppendJsonStringField(std::string& out, std::string_view name, std::string_view value);

}  // namespace bh::cli
