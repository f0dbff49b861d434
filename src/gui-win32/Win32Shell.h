#pragma once

#include "gui-win32/WinApi.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "core/ports/Shell.h"

namespace bh {

// The small icon of a file type, shared by every entry of that type.
class Win32ShellIcon : public ShellIcon {
  public:
    explicit Win32ShellIcon(HICON icon) : icon(icon) {}
    ~Win32ShellIcon() override { DestroyIcon(icon); }
    Win32ShellIcon(const Win32ShellIcon&) = delete;
    Win32ShellIcon& operator=(const Win32ShellIcon&) = delete;
    const HICON icon;
};

// The Windows shell: type names and icons from SHGetFileInfo (by the name's extension, so that
// no file is opened), ShellExecute for files and addresses, Explorer for revealing a file.
class Win32Shell : public Shell {
  public:
    std::shared_ptr<const ShellFileInfo> GetFileInfo(const std::string& path) override;
    ErrorCode OpenFile(const std::string& fileName, const std::string& folder) override;
    ErrorCode OpenAddress(const std::string& address) override;
    RevealResult RevealFile(const std::string& path) override;

    // Number of distinct types looked up so far.
    int CachedTypeCount() const;

  private:
    std::mutex mutex_;
    std::map<std::wstring, std::shared_ptr<const ShellFileInfo>> types_;
};

// The lower-cased extension of a path with its dot ("" without one): the cache's key.
std::wstring TypeKey(const std::wstring& path);

}  // namespace bh
