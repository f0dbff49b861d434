#include "gui-win32/Win32SingleInstance.h"

#include "gui-win32/WideText.h"
#include "gui-win32/Win32MainFrame.h"

namespace bh {
namespace {

std::string Absolute(const std::string& path) {
    const std::wstring wide = Wide(path);
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    const DWORD written = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    full.resize(written);
    return Utf8(full);
}

}  // namespace

std::string PackPaths(const std::vector<std::string>& paths) {
    std::string packed;
    for (const std::string& path : paths) {
        packed += path;
        packed += '\0';
    }
    return packed;
}

Win32SingleInstance::Win32SingleInstance(const wchar_t* mutexName) {
    mutex_ = CreateMutexW(nullptr, FALSE, mutexName);
    first_ = mutex_ != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
}

Win32SingleInstance::~Win32SingleInstance() {
    if (mutex_)
        CloseHandle(mutex_);
}

bool Win32SingleInstance::ForwardToRunning(const std::vector<std::string>& files) {
    if (first_)
        return false;
    const HWND running = FindWindowW(Win32MainFrame::kClassName, nullptr);
    if (!running)
        return false;
    std::vector<std::string> absolute;
    for (const std::string& file : files)
        absolute.push_back(Absolute(file));
    const std::string packed = PackPaths(absolute);
    COPYDATASTRUCT data{};
    data.dwData = Win32MainFrame::kCopyDataOpen;
    data.cbData = static_cast<DWORD>(packed.size());
    data.lpData = const_cast<char*>(packed.data());
    DWORD_PTR answer = 0;
    // The running program may be inside a long operation; it takes the files when it can.
    if (!SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                             10000, &answer))
        return false;
    AllowSetForegroundWindow(ASFW_ANY);
    return answer != 0;
}

}  // namespace bh
