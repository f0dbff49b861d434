#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "gui/BuildConfig.h"
#include "gui/ManualLocation.h"

using namespace bh;

// Where F1 looks for the manual: beside an installed program first, then the build tree's
// copy; when neither is there, the installed place, so that the message names it.
class ManualLocationTest : public QObject {
    Q_OBJECT

    static void Touch(const QString& path) {
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

  private Q_SLOTS:
    void theFirstExistingCandidateWins() {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString bin = root.filePath(QStringLiteral("usr/bin"));
        QVERIFY(QDir().mkpath(bin));
        const QStringList candidates{QStringLiteral("../share/doc/brackenhold/manual.html"),
                                     QStringLiteral("../../build/manual.html")};
        const QString installed =
            root.filePath(QStringLiteral("usr/share/doc/brackenhold/manual.html"));
        const QString built = root.filePath(QStringLiteral("build/manual.html"));

        QCOMPARE(FirstExistingFile(bin, candidates), QDir::cleanPath(installed));
        Touch(built);
        QCOMPARE(FirstExistingFile(bin, candidates), QDir::cleanPath(built));
        Touch(installed);
        QCOMPARE(FirstExistingFile(bin, candidates), QDir::cleanPath(installed));

        // A folder of that name is no manual.
        QVERIFY(QFile::remove(installed));
        QVERIFY(QDir().mkpath(installed));
        QCOMPARE(FirstExistingFile(bin, candidates), QDir::cleanPath(built));
    }

    void theBuiltProgramFindsTheBuildTreesManual() {
        // The program's folder in this build: its relative path must reach the manual the
        // build wrote, or F1 would fail in every run from the build folder.
        const QString found = FirstExistingFile(
            QStringLiteral(BH_GUI_BINARY_DIR),
            {QString::fromUtf8(kInstalledManual), QString::fromUtf8(kBuildTreeManual)});
        QVERIFY2(QFileInfo(found).isFile(), qPrintable(found));
        QVERIFY(found.endsWith(QStringLiteral("/manual.html")));
        QVERIFY(QString::fromUtf8(kInstalledManual)
                    .endsWith(QStringLiteral("share/doc/brackenhold/manual.html")));
    }
};

QTEST_GUILESS_MAIN(ManualLocationTest)
#include "ManualLocation_test.moc"
