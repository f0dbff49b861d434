#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include <QIcon>
#include <QString>
#include <QStringList>
#include <QUrl>

#include "core/ports/Shell.h"

namespace bh {

// The icon of a file type, shared by every entry of that type.
class QtShellIcon : public ShellIcon {
  public:
    explicit QtShellIcon(QIcon icon) : icon(std::move(icon)) {}
    const QIcon icon;
};

// The desktop's shell through Qt: file types from the MIME database, files and addresses
// opened with their default applications, files revealed in the file manager.
class QtShell : public Shell {
  public:
    // The desktop actions the shell starts. Tests replace them so that nothing is launched.
    struct Launcher {
        std::function<bool(const QUrl&)> openUrl;
        // Asks the file manager over D-Bus to show the items; false when none answered.
        std::function<bool(const QStringList& uris)> showItems;
        std::function<bool(const QString& program, const QStringList& arguments)> startDetached;
    };
    static Launcher DesktopLauncher();

    QtShell();
    explicit QtShell(Launcher launcher);

    // Types are told by the file name alone, so that a manager of many entries never reads
    // their contents. Icon and type name are looked up once per MIME type.
    std::shared_ptr<const ShellFileInfo> GetFileInfo(const std::string& path) override;
    ErrorCode OpenFile(const std::string& fileName, const std::string& folder) override;
    ErrorCode OpenAddress(const std::string& address) override;
    RevealResult RevealFile(const std::string& path) override;

    // Number of distinct MIME types looked up so far.
    int CachedTypeCount() const;

  private:
    struct TypeInfo {
        std::shared_ptr<const ShellFileInfo> known;
        // The database's fallback type names each extension apart ("XYZ File").
        std::map<std::string, std::shared_ptr<const ShellFileInfo>> unknown;
    };

    Launcher launcher_;
    mutable std::mutex mutex_;
    std::map<QString, TypeInfo> types_;
};

}  // namespace bh
