#include "gui/QtShell.h"

#include <cerrno>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>

namespace bh {
namespace {

// How long a reveal request waits for the file manager to answer over D-Bus.
constexpr int kFileManagerTimeoutMs = 3000;

bool ShowItemsOverDBus(const QStringList& uris) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << uris << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, kFileManagerTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

QIcon IconOfType(const QMimeType& type) {
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull())
        icon = QFileIconProvider().icon(QFileIconProvider::File);
    return icon;
}

// For a type the database does not know, the name the way a desktop shell words it:
// the extension in capitals and " File" ("XYZ File"), or "File" without an extension.
std::string UnknownTypeName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.isEmpty())
        return "File";
    return suffix.toUpper().toStdString() + " File";
}

}  // namespace

QtShell::Launcher QtShell::DesktopLauncher() {
    Launcher launcher;
    launcher.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    launcher.showItems = ShowItemsOverDBus;
    launcher.startDetached = [](const QString& program, const QStringList& arguments) {
        return QProcess::startDetached(program, arguments);
    };
    return launcher;
}

QtShell::QtShell() : QtShell(DesktopLauncher()) {}

QtShell::QtShell(Launcher launcher) : launcher_(std::move(launcher)) {}

std::shared_ptr<const ShellFileInfo> QtShell::GetFileInfo(const std::string& path) {
    const QString name = QString::fromStdString(path);
    if (name.isEmpty())
        return nullptr;
    static const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(name, QMimeDatabase::MatchExtension);

    std::lock_guard<std::mutex> lock(mutex_);
    auto found = types_.find(type.name());
    if (found == types_.end()) {
        ShellFileInfo info;
        info.icon = std::make_shared<const QtShellIcon>(IconOfType(type));
        info.typeName = type.comment().toStdString();
        TypeInfo known;
        known.known = std::make_shared<const ShellFileInfo>(std::move(info));
        found = types_.emplace(type.name(), std::move(known)).first;
    }
    TypeInfo& cached = found->second;
    if (!type.isDefault())
        return cached.known;
    std::string typeName = UnknownTypeName(name);
    std::shared_ptr<const ShellFileInfo>& unknown = cached.unknown[typeName];
    if (!unknown)
        unknown = std::make_shared<const ShellFileInfo>(
            ShellFileInfo{cached.known->icon, std::move(typeName)});
    return unknown;
}

int QtShell::CachedTypeCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(types_.size());
}

ErrorCode QtShell::OpenFile(const std::string& fileName, const std::string& folder) {
    const QFileInfo file(QString::fromStdString(folder + fileName));
    if (!file.exists()) {
        return ErrorCode(ENOENT);
    }
    if (!launcher_.openUrl(QUrl::fromLocalFile(file.absoluteFilePath()))) {
        return ErrorCode(ENOEXEC);
    }
    return kNoError;
}

ErrorCode QtShell::OpenAddress(const std::string& address) {
    const QUrl url(QString::fromStdString(address));
    // A missing local file is reported as such rather than left to the handler's own page.
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) {
        return ErrorCode(ENOENT);
    }
    if (!url.isValid() || !launcher_.openUrl(url)) {
        return ErrorCode(ENOEXEC);
    }
    return kNoError;
}

RevealResult QtShell::RevealFile(const std::string& path) {
    const QFileInfo file(QString::fromStdString(path));
    if (launcher_.showItems({QUrl::fromLocalFile(file.absoluteFilePath()).toString()}))
        return RevealResult::Shown;
    // Without a file manager on the bus, at least open the folder that holds the file.
    if (launcher_.startDetached(QStringLiteral("xdg-open"), {file.absolutePath()}))
        return RevealResult::Shown;
    return RevealResult::NotFound;
}

}  // namespace bh
