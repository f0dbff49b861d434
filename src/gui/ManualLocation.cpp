#include "gui/ManualLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "gui/BuildConfig.h"

namespace bh {

QString FirstExistingFile(const QString& programFolder, const QStringList& candidates) {
    const QDir folder(programFolder);
    for (const QString& candidate : candidates) {
        const QString path = QDir::cleanPath(folder.absoluteFilePath(candidate));
        if (QFileInfo(path).isFile())
            return path;
    }
    return candidates.isEmpty() ? QString()
                                : QDir::cleanPath(folder.absoluteFilePath(candidates.front()));
}

QString LocateManual() {
    return FirstExistingFile(
        QCoreApplication::applicationDirPath(),
        {QString::fromUtf8(kInstalledManual), QString::fromUtf8(kBuildTreeManual)});
}

}  // namespace bh
