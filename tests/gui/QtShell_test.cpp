#include <cerrno>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include "gui/QtShell.h"
#include "support/TempDir.h"

using namespace bh;

namespace {

// A launcher that records what it was asked to start and answers as told.
struct FakeDesktop {
    QList<QUrl> openedUrls;
    QList<QStringList> shownItems;
    QList<QStringList> started;  // program followed by its arguments
    bool openOk = true;
    bool showOk = true;
    bool startOk = true;

    QtShell::Launcher Launcher() {
        QtShell::Launcher launcher;
        launcher.openUrl = [this](const QUrl& url) {
            openedUrls << url;
            return openOk;
        };
        launcher.showItems = [this](const QStringList& uris) {
            shownItems << uris;
            return showOk;
        };
        launcher.startDetached = [this](const QString& program, const QStringList& arguments) {
            started << (QStringList{program} + arguments);
            return startOk;
        };
        return launcher;
    }
};

}  // namespace

class QtShellTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void fileTypesAreLookedUpOncePerType() {
        FakeDesktop desktop;
        QtShell shell(desktop.Launcher());
        const std::shared_ptr<const ShellFileInfo> first = shell.GetFileInfo("/home/ann/a.txt");
        QVERIFY(first != nullptr && first->icon != nullptr);
        const auto* icon = dynamic_cast<const QtShellIcon*>(first->icon.get());
        QVERIFY(icon != nullptr);
        QVERIFY(!icon->icon.isNull());
        const QMimeType plain = QMimeDatabase().mimeTypeForName(QStringLiteral("text/plain"));
        QCOMPARE(QString::fromStdString(first->typeName), plain.comment());

        for (int i = 0; i < 2000; ++i)
            shell.GetFileInfo("/data/notes" + std::to_string(i) + ".TXT");
        const std::shared_ptr<const ShellFileInfo> later = shell.GetFileInfo("/elsewhere/b.txt");
        QCOMPARE(later.get(), first.get());
        QCOMPARE(shell.CachedTypeCount(), 1);

        const std::shared_ptr<const ShellFileInfo> image = shell.GetFileInfo("/pics/p.png");
        QVERIFY(image->icon != nullptr);
        QVERIFY(image->icon.get() != first->icon.get());
        QVERIFY(image->typeName != first->typeName);
        QCOMPARE(shell.CachedTypeCount(), 2);

        // Files are never opened: a missing file is typed by its name alone.
        QVERIFY(!QFile::exists(QStringLiteral("/pics/p.png")));
    }

    void unknownTypesAreNamedAfterTheirExtension() {
        FakeDesktop desktop;
        QtShell shell(desktop.Launcher());
        const std::shared_ptr<const ShellFileInfo> odd = shell.GetFileInfo("/x/data.zq9k");
        QCOMPARE(odd->typeName, std::string("ZQ9K File"));
        QVERIFY(odd->icon != nullptr);
        QCOMPARE(shell.GetFileInfo("/x/q9zk")->typeName, std::string("File"));
        // Both share the one icon of unknown files; each extension keeps its own record.
        const std::shared_ptr<const ShellFileInfo> other = shell.GetFileInfo("/x/other.zz7q");
        QCOMPARE(other->icon.get(), odd->icon.get());
        QCOMPARE(other->typeName, std::string("ZZ7Q File"));
        QCOMPARE(shell.GetFileInfo("/y/more.ZQ9K").get(), odd.get());
        QVERIFY(shell.GetFileInfo("") == nullptr);
    }

    void openFileHandsTheFullPathToTheDesktop() {
        test::TempDir dir;
        dir.Write("my report.doc", "text");
        FakeDesktop desktop;
        QtShell shell(desktop.Launcher());
        QVERIFY(shell.OpenFile("my report.doc", dir.Path() + "/") == kNoError);
        QCOMPARE(desktop.openedUrls.size(), 1);
        QCOMPARE(desktop.openedUrls[0],
                 QUrl::fromLocalFile(QString::fromStdString(dir.File("my report.doc"))));

        desktop.openOk = false;
        QVERIFY(shell.OpenFile("my report.doc", dir.Path() + "/") == ErrorCode(ENOEXEC));

        // A file that is not there is reported as such and nothing is started.
        desktop.openedUrls.clear();
        QVERIFY(shell.OpenFile("gone.doc", dir.Path() + "/") == ErrorCode(ENOENT));
        QVERIFY(desktop.openedUrls.isEmpty());
    }

    void openAddressKeepsTheFragment() {
        test::TempDir dir;
        dir.Write("manual.html", "<p>manual</p>");
        FakeDesktop desktop;
        QtShell shell(desktop.Launcher());
        const std::string manual = "file://" + dir.File("manual.html") + "#page=1&view=fitH";
        QVERIFY(shell.OpenAddress(manual) == kNoError);
        QCOMPARE(desktop.openedUrls.size(), 1);
        QCOMPARE(desktop.openedUrls[0].fragment(), QStringLiteral("page=1&view=fitH"));
        QCOMPARE(desktop.openedUrls[0].toString().toStdString(), manual);

        QVERIFY(shell.OpenAddress("mailto:a@example.invalid?subject=Concerning your program") ==
                kNoError);
        QCOMPARE(desktop.openedUrls[1].scheme(), QStringLiteral("mailto"));

        desktop.openOk = false;
        QVERIFY(shell.OpenAddress(manual) == ErrorCode(ENOEXEC));

        // A local file that is not there is reported as missing; no handler is started.
        desktop.openOk = true;
        desktop.openedUrls.clear();
        QVERIFY(shell.OpenAddress("file://" + dir.File("gone.html")) == ErrorCode(ENOENT));
        QVERIFY(desktop.openedUrls.isEmpty());
    }

    void revealAsksTheFileManagerThenOpensTheFolder() {
        FakeDesktop desktop;
        QtShell shell(desktop.Launcher());
        QCOMPARE(shell.RevealFile("/home/ann/My Files/a b.txt"), RevealResult::Shown);
        QCOMPARE(desktop.shownItems.size(), 1);
        QCOMPARE(desktop.shownItems[0],
                 QStringList{QStringLiteral("file:///home/ann/My Files/a b.txt")});
        QVERIFY(desktop.started.isEmpty());

        desktop.showOk = false;
        QCOMPARE(shell.RevealFile("/home/ann/My Files/a b.txt"), RevealResult::Shown);
        QCOMPARE(desktop.started.size(), 1);
        QCOMPARE(desktop.started[0],
                 (QStringList{QStringLiteral("xdg-open"), QStringLiteral("/home/ann/My Files")}));

        desktop.startOk = false;
        QCOMPARE(shell.RevealFile("/home/ann/a.txt"), RevealResult::NotFound);
    }

    // The installed type claims .bak files by their header, never by the name alone.
    void managerTypeIsRecognisedByItsHeader() {
        const QString updater =
            QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
        if (updater.isEmpty())
            QSKIP("update-mime-database is not installed");
        test::TempDir data;
        const QString mimeDir = QString::fromStdString(data.Path()) + QStringLiteral("/mime");
        QVERIFY(QDir().mkpath(mimeDir + QStringLiteral("/packages")));
        QVERIFY(QFile::copy(
            QStringLiteral(QT_TESTCASE_SOURCEDIR "/../../resources/brackenhold-mime.xml"),
            mimeDir + QStringLiteral("/packages/brackenhold.xml")));
        QProcess update;
        update.start(updater, {mimeDir});
        QVERIFY(update.waitForFinished(30000));
        QCOMPARE(update.exitCode(), 0);

        const std::string manager = data.Write("week.bak", std::string("\x15"
                                                                       "Brackenhold Version 1") +
                                                               std::string(8, '\0'));
        const std::string other = data.Write("notes.bak", "just some old text\n");

        // A child process reads the database with the temporary folder in its data path.
        QProcess probe;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(data.Path()));
        environment.insert(QStringLiteral("BH_MIME_PROBE"), QStringLiteral("1"));
        probe.setProcessEnvironment(environment);
        probe.start(QCoreApplication::applicationFilePath(),
                    {QString::fromStdString(manager), QString::fromStdString(other)});
        QVERIFY(probe.waitForFinished(30000));
        const QStringList types = QString::fromUtf8(probe.readAllStandardOutput())
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(types.size(), 2);
        QCOMPARE(types[0], QStringLiteral("application/x-brackenhold-manager"));
        QCOMPARE(types[1], QStringLiteral("application/x-trash"));
    }
};

// With BH_MIME_PROBE set the test program prints the type of each file named on its command
// line (so that it reads a MIME database of the test's choosing) instead of running tests.
int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsSet("BH_MIME_PROBE")) {
        QCoreApplication app(argc, argv);
        const QMimeDatabase database;
        for (int i = 1; i < argc; ++i)
            printf("%s\n",
                   qPrintable(database.mimeTypeForFile(QString::fromLocal8Bit(argv[i])).name()));
        return 0;
    }
    QApplication app(argc, argv);
    QtShellTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "QtShell_test.moc"
