#include "gui-win32/WideText.h"

#include "gui-win32/WinApi.h"

namespace bh {

std::wstring Wide(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring result(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, result.data(), length);
    return result;
}

std::string Utf8(std::wstring_view wide) {
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, result.data(), length, nullptr, nullptr);
    return result;
}

std::wstring EscapeAmpersands(std::wstring_view text) {
    std::wstring result;
    for (wchar_t c : text) {
        result += c;
        if (c == L'&')
            result += L'&';
    }
    return result;
}

}  // namespace bh
