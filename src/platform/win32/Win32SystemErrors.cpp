#include "platform/win32/Win32SystemErrors.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>

namespace bh {

namespace {

constexpr ErrorCode kInternetExtendedError{12003};
constexpr DWORD kMessageFlags =
    FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER;
constexpr DWORD kUserDefaultLanguage = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);
constexpr DWORD kResponseBufferSize = 1024;

std::string InternetResponseText() {
    char buffer[kResponseBufferSize] = {};
    DWORD internetError = 0;
    DWORD length = kResponseBufferSize;
    if (!::InternetGetLastResponseInfoA(&internetError, buffer, &length)) {
        return {};
    }
    return std::string(buffer, std::min<DWORD>(length, kResponseBufferSize));
}

}  // namespace

std::string Win32SystemErrors::MessageText(ErrorCode code) const {
    if (code == kInternetExtendedError) {
        return InternetResponseText();
    }
    char* text = nullptr;
    const DWORD length =
        ::FormatMessageA(kMessageFlags, nullptr, code.Value(), kUserDefaultLanguage,
                         reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result;
    if (length > 0 && text != nullptr) {
        result.assign(text, length);
    }
    if (text != nullptr) {
        ::LocalFree(text);
    }
    return result;
}

}  // namespace bh
