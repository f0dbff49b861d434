#include "gui/QtVolumes.h"

#include <QFileInfo>
#include <QStorageInfo>

namespace bh {

bool QtVolumes::UsesDriveLetters() const {
#ifdef Q_OS_WIN
    return true;
#else
    return false;
#endif
}

std::string QtVolumes::MountPointOf(const std::string& path) {
    const QString given = QString::fromStdString(path);
    // A file that is not there yet may still lie in a mounted folder.
    for (const QString& candidate : {given, QFileInfo(given).path()}) {
        if (!QFileInfo::exists(candidate))
            continue;
        const QStorageInfo storage(candidate);
        if (storage.isValid())
            return storage.rootPath().toStdString();
    }
    return {};
}

}  // namespace bh
