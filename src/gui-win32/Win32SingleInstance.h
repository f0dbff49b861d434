#pragma once

#include "gui-win32/WinApi.h"

#include <string>
#include <vector>

namespace bh {

// Keeps one running program per user session: a later start hands the files it was asked to
// open to the running one (WM_COPYDATA to its main frame) and exits.
class Win32SingleInstance {
  public:
    explicit Win32SingleInstance(const wchar_t* mutexName = L"Local\\Tallowmere.Brackenhold");
    ~Win32SingleInstance();
    Win32SingleInstance(const Win32SingleInstance&) = delete;
    Win32SingleInstance& operator=(const Win32SingleInstance&) = delete;

    // True when another program was running and took `files` (made absolute first).
    bool ForwardToRunning(const std::vector<std::string>& files);

  private:
    HANDLE mutex_ = nullptr;
    bool first_ = true;
};

// The copy-data payload: each path followed by a NUL.
std::string PackPaths(const std::vector<std::string>& paths);

}  // namespace bh
