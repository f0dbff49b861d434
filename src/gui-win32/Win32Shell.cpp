#include "gui-win32/Win32Shell.h"

#include <cwctype>

#include "gui-win32/WideText.h"

namespace bh {
namespace {

// ShellExecute's results of 32 and below are the old error numbers; the ones it documents
// map onto the system codes the core knows.
ErrorCode ShellExecuteError(HINSTANCE result) {
    const auto code = reinterpret_cast<INT_PTR>(result);
    if (code > 32)
        return kNoError;
    if (code == 0)
        return ErrorCode(ERROR_OUTOFMEMORY);
    if (code == SE_ERR_NOASSOC)
        return ErrorCode(ERROR_NO_ASSOCIATION);
    if (code == SE_ERR_ACCESSDENIED)
        return ErrorCode(ERROR_ACCESS_DENIED);
    return ErrorCode(static_cast<std::uint32_t>(code));
}

}  // namespace

std::wstring TypeKey(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    const std::size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash))
        return {};
    std::wstring key = path.substr(dot);
    for (wchar_t& c : key)
        c = static_cast<wchar_t>(std::towlower(c));
    return key;
}

std::shared_ptr<const ShellFileInfo> Win32Shell::GetFileInfo(const std::string& path) {
    const std::wstring key = TypeKey(Wide(path));
    const std::lock_guard lock(mutex_);
    if (const auto found = types_.find(key); found != types_.end())
        return found->second;
    SHFILEINFOW info{};
    const std::wstring probe = L"file" + key;
    const DWORD_PTR ok =
        SHGetFileInfoW(probe.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                       SHGFI_USEFILEATTRIBUTES | SHGFI_TYPENAME | SHGFI_ICON | SHGFI_SMALLICON);
    auto result = std::make_shared<ShellFileInfo>();
    // An icon may come back even when the call reports failure: only a success counts.
    if (ok != 0) {
        result->typeName = Utf8(info.szTypeName);
        if (info.hIcon)
            result->icon = std::make_shared<Win32ShellIcon>(info.hIcon);
    } else if (info.hIcon) {
        DestroyIcon(info.hIcon);
    }
    types_[key] = result;
    return result;
}

int Win32Shell::CachedTypeCount() const {
    return static_cast<int>(types_.size());
}

ErrorCode Win32Shell::OpenFile(const std::string& fileName, const std::string& folder) {
    return ShellExecuteError(ShellExecuteW(nullptr, L"open", Wide(fileName).c_str(), nullptr,
                                           folder.empty() ? nullptr : Wide(folder).c_str(),
                                           SW_SHOWNORMAL));
}

ErrorCode Win32Shell::OpenAddress(const std::string& address) {
    return ShellExecuteError(
        ShellExecuteW(nullptr, L"open", Wide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

RevealResult Win32Shell::RevealFile(const std::string& path) {
    const std::wstring arguments = L"/e,/select,\"" + Wide(path) + L"\"";
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(
        nullptr, L"open", L"explorer.exe", arguments.c_str(), nullptr, SW_SHOWNORMAL));
    if (result > 32)
        return RevealResult::Shown;
    return result == ERROR_BAD_FORMAT ? RevealResult::Invalid : RevealResult::NotFound;
}

}  // namespace bh
