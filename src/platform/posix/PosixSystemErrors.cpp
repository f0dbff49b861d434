#include "platform/posix/PosixSystemErrors.h"

#include <string.h>

#include <string>

namespace bh {

namespace {

// strerror_r is the GNU variant (returns the text) or the XSI one (fills the buffer).
[[maybe_unused]] const char* TextOf(const char* result, const char*) {
    return result;
}
[[maybe_unused]] const char* TextOf(int result, const char* buffer) {
    return result == 0 ? buffer : "";
}

std::string ErrnoText(int code) {
    char buffer[256] = {};
    return TextOf(::strerror_r(code, buffer, sizeof buffer), buffer);
}

// The library words an unknown code as a fixed text followed by the number, in whatever
// language it speaks; learn that text from a code that is certainly unknown.
bool IsUnknownText(const std::string& text, int code) {
    constexpr int kNeverAnErrno = 987654321;
    const std::string sample = ErrnoText(kNeverAnErrno);
    const std::string number = std::to_string(kNeverAnErrno);
    if (sample.size() < number.size() ||
        sample.compare(sample.size() - number.size(), number.size(), number) != 0) {
        return text == sample;
    }
    return text == sample.substr(0, sample.size() - number.size()) + std::to_string(code);
}

}  // namespace

std::string PosixSystemErrors::MessageText(ErrorCode code) const {
    const int number = static_cast<int>(code.Value());
    std::string text = ErrnoText(number);
    if (IsUnknownText(text, number)) {
        return {};
    }
    return text;
}

}  // namespace bh
