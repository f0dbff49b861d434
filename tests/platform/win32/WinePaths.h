#pragma once

#include <windows.h>

#include <algorithm>
#include <string>

namespace bh::test {

// Whether the tests run under Wine, which shows the host's root folder as drive Z:.
inline bool UnderWine() {
    return ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name") !=
           nullptr;
}

// The host's own path of an ASCII Windows path under Wine; empty elsewhere.
inline std::string WineHostPath(const std::string& path) {
    using UnixName = char*(__cdecl*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (unixName == nullptr) {
        return {};
    }
    const std::wstring wide(path.begin(), path.end());
    char* name = unixName(wide.c_str());
    if (name == nullptr) {
        return {};
    }
    std::string host(name);
    ::HeapFree(::GetProcessHeap(), 0, name);
    return host;
}

// The same path spelled through drive Z: under Wine; empty elsewhere.
inline std::string WineDriveZPath(const std::string& path) {
    const std::string host = WineHostPath(path);
    if (host.empty()) {
        return {};
    }
    std::string z = "Z:" + host;
    std::replace(z.begin(), z.end(), '/', '\\');
    return z;
}

// A path with every '/' turned into '\\', as Windows spells it.
inline std::string Backslashed(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

}  // namespace bh::test
