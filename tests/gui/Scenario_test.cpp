#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "ModalDriver.h"
#include "core/base/ColumnIds.h"
#include "core/base/CommandIds.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/ManagerFileFormat.h"
#include "core/operations/AutoBackup.h"
#include "gui/AboutDlg.h"
#include "gui/BrackenholdApp.h"
#include "gui/MainFrame.h"
#include "gui/ManagerTableModel.h"
#include "gui/PromptDlg.h"
#include "gui/QtAutoBackupTimer.h"
#include "gui/QtSettingsStore.h"
#include "gui/StatusProgress.h"
#include "platform/NativePlatform.h"
#include "platform/memory/FileSystemWrapper.h"
#include "platform/memory/RecordingShell.h"

using namespace bh;

namespace {

// The real file system, with a hook that runs just before each copy: where a test does what
// a user (or the desktop) does while a long operation copies files.
class HookedFileSystem : public FileSystemWrapper {
  public:
    using FileSystemWrapper::FileSystemWrapper;
    std::function<void(const std::string& from, const std::string& to)> beforeCopy;

    ErrorCode Copy(const std::string& from, const std::string& to, bool failIfExists) override {
        if (beforeCopy)
            beforeCopy(from, to);
        return FileSystemWrapper::Copy(from, to, failIfExists);
    }
    // A batch is copied one by one through the hook above.
    std::vector<ErrorCode> CopyBatch(const std::vector<CopyRequest>& requests) override {
        return FileSystem::CopyBatch(requests);
    }
};

// What a message box showed, and whether its label had room for all of its text.
struct SeenBox {
    QString title;
    QString text;
    bool shown = false;
    bool labelFits = false;
};

// Answers the next message box with `press` after recording it; `then` runs before the
// answer (to arm the next modal answer).
void AnswerBox(SeenBox& seen, QMessageBox::StandardButton press, std::function<void()> then = {}) {
    test::WhenModal<QMessageBox>([&seen, press, then](QMessageBox& box) {
        seen.shown = true;
        seen.title = box.windowTitle();
        seen.text = box.text();
        if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
            seen.labelFits =
                label->heightForWidth(label->width()) <= label->height() &&
                box.frameGeometry().height() <= box.screen()->availableGeometry().height();
        if (then)
            then();
        box.button(press)->click();
    });
}

// The text a message box shows, without the invisible break points it may carry.
QString Plain(QString text) {
    return text.remove(QChar(0x200B));
}

}  // namespace

// The real program (main window, menus, keys, header clicks, Qt dialogs and message boxes)
// on real files in a temporary folder and the real settings file, through what a user does.
class ScenarioTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    NativeFileSystem native_;
    std::unique_ptr<HookedFileSystem> files_;
    RecordingShell shell_;
    std::unique_ptr<QtSettingsStore> settings_;
    NativeClock clock_;
    NativeSystemErrors errors_;
    std::unique_ptr<BrackenholdApp> app_;

    std::string Path(const QString& name) const { return dir_->filePath(name).toStdString(); }
    QString SettingsFile() const { return dir_->filePath(QStringLiteral("Brackenhold.conf")); }

    static void WriteFile(const std::string& path, const QByteArray& bytes, qint64 secondsAgo) {
        QFile file(QString::fromStdString(path));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        QVERIFY(file.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-secondsAgo),
                                 QFileDevice::FileModificationTime));
    }
    static QByteArray Content(const std::string& path) {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // The content without the padding WriteManager put after it.
    static QByteArray Text(const std::string& path) {
        QByteArray content = Content(path);
        while (content.endsWith('.'))
            content.chop(1);
        return content;
    }
    static constexpr int kLargePadding = (1 << 20) + 4096;

    // A manager of `count` entries src/NAMEi.txt -> arc/NAMEi.txt; each source holds
    // "current i" (newer), each archive "archived i" (older), so every entry is out of date.
    // `padding` dots follow each text (Text() drops them): sources above a megabyte are
    // copied one at a time, as a backup run copies small files in batches.
    std::string WriteManager(const QString& name, int count, int padding = 0) {
        QDir(dir_->path()).mkpath(QStringLiteral("src"));
        QDir(dir_->path()).mkpath(QStringLiteral("arc"));
        std::vector<ManagerRecord> records;
        for (int i = 0; i < count; ++i) {
            const QString file = QStringLiteral("%1%2.txt").arg(name).arg(i);
            const std::string source = Path(QStringLiteral("src/") + file);
            const std::string archive = Path(QStringLiteral("arc/") + file);
            WriteFile(source, "current " + QByteArray::number(i) + QByteArray(padding, '.'), 100);
            WriteFile(archive, "archived " + QByteArray::number(i) + QByteArray(padding, '.'),
                      5000);
            records.push_back(ManagerRecord{source, archive, ""});
        }
        const std::string manager = Path(name + QStringLiteral(".bak"));
        WriteFile(manager, QByteArray::fromStdString(EncodeManager(records)), 50);
        return manager;
    }

    void Start(const std::vector<std::string>& commandLine = {}) {
        settings_->Sync();
        app_ = std::make_unique<BrackenholdApp>(
            AppPorts{*files_, shell_, *settings_, clock_, errors_, nullptr});
        app_->Start(commandLine);
        CMainFrame& frame = app_->frame();
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        QCoreApplication::processEvents();
    }

    // Ends the program as closing its window does, and reads the settings file anew.
    void Exit() {
        app_->Exit();
        app_.reset();
        settings_->Sync();
        settings_ = std::make_unique<QtSettingsStore>(SettingsFile());
    }

    // The action of a menu item, found through the menu bar as a user finds it.
    QAction& MenuItem(const QString& menu, int id) {
        for (QAction* top : app_->frame().menuBar()->actions()) {
            if (top->text().remove(QLatin1Char('&')) != menu || !top->menu())
                continue;
            Q_EMIT top->menu()->aboutToShow();
            const QList<QAction*> items = top->menu()->actions();
            for (QAction* item : items) {
                if (item->data().toInt() == id)
                    return *item;
                if (item->menu()) {
                    for (QAction* sub : item->menu()->actions()) {
                        if (sub->data().toInt() == id)
                            return *sub;
                    }
                }
            }
        }
        QTest::qFail("menu item not found", __FILE__, __LINE__);
        return *app_->frame().Action(id);
    }

    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(&app_->view(), static_cast<Qt::Key>(key), modifiers);
    }

    ManagerList& Rows() const { return app_->doc().rows(); }

    // Drops a file on the main window as a file manager does.
    void Drop(const QString& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&app_->frame(), &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&app_->frame(), &drop);
    }

  private Q_SLOTS:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        files_ = std::make_unique<HookedFileSystem>(native_);
        settings_ = std::make_unique<QtSettingsStore>(SettingsFile());
    }
    void cleanup() {
        app_.reset();
        settings_.reset();
        files_.reset();
        dir_.reset();
    }

    // "Start with MRU" with one and with two recent managers, each started twice: the list
    // keeps its paths in the menu and in the settings file.
    void startWithMruKeepsTheRecentFiles() {
        const std::string first = WriteManager(QStringLiteral("first-recent-manager"), 2);
        const std::string second = WriteManager(QStringLiteral("second-recent-manager"), 3);
        for (const std::vector<std::string>& recent :
             {std::vector<std::string>{first}, std::vector<std::string>{first, second}}) {
            settings_->WriteInt("Settings", "bOpenMRU", 1);
            for (int i = 0; i < 4; ++i)
                settings_->WriteString("Recent File List", "File" + std::to_string(i + 1),
                                       i < int(recent.size()) ? recent[i] : "");
            for (int start = 0; start < 2; ++start) {
                Start();
                QCOMPARE(app_->doc().PathName(), first);
                QCOMPARE(Rows().Count(), 2);
                QCOMPARE(app_->recentFiles().Paths(), recent);
                for (std::size_t i = 0; i < recent.size(); ++i) {
                    QAction& entry = MenuItem(QStringLiteral("File"), kCmdRecentFileFirst + int(i));
                    QVERIFY(entry.isVisible());
                    QVERIFY(entry.text().endsWith(
                        QString::fromStdString(RecentFileList::DisplayName(recent[i]))));
                }
                Exit();
                for (std::size_t i = 0; i < 4; ++i)
                    QCOMPARE(settings_->GetString("Recent File List",
                                                  "File" + std::to_string(i + 1), "?"),
                             i < recent.size() ? recent[i] : std::string());
            }
        }
    }

    // Save As with "victim" typed where victim.bak exists asks before replacing victim.bak;
    // No brings the dialog back, and cancelling it leaves the file as it was.
    void saveAsAsksBeforeReplacingTheBakFile() {
        const std::string victim = Path(QStringLiteral("victim.bak"));
        WriteFile(victim, "someone else's file", 10);
        Start({WriteManager(QStringLiteral("team"), 2)});
        SeenBox question;
        bool secondDialog = false;
        test::WhenModal<QFileDialog>([&](QFileDialog& dialog) {
            AnswerBox(question, QMessageBox::No, [&] {
                test::WhenModal<QFileDialog>([&](QFileDialog& again) {
                    secondDialog = true;
                    again.reject();
                });
            });
            dialog.selectFile(dir_->filePath(QStringLiteral("victim")));
            static_cast<QDialog&>(dialog).accept();  // as its Save button does
        });
        MenuItem(QStringLiteral("File"), kCmdFileSaveAs).trigger();
        QVERIFY(question.shown);
        QCOMPARE(Plain(question.text),
                 QStringLiteral("victim.bak already exists.\nDo you want to replace it?"));
        QCOMPARE(question.title, QStringLiteral("Create Backup Manager"));
        QVERIFY(secondDialog);
        QCOMPARE(Content(victim), QByteArray("someone else's file"));
        QCOMPARE(app_->doc().PathName(), Path(QStringLiteral("team.bak")));
    }

    // A timer tick and a second start of the program during a Restore wait until it ended:
    // every archive is restored, then the tick runs its backup once, then the other manager
    // opens.
    void tickAndForwardedOpenWaitForTheRestore() {
        const int count = 6;
        const std::string team = WriteManager(QStringLiteral("team"), count);
        const std::string other = WriteManager(QStringLiteral("other"), 1);
        const std::string dropped = Path(QStringLiteral("dropped.txt"));
        WriteFile(dropped, "dropped", 10);
        Start({team});
        int flashes = 0;
        app_->autoBackup().flashWindow = [&flashes] { ++flashes; };
        int restores = 0;
        files_->beforeCopy = [&](const std::string& from, const std::string&) {
            if (from.find("/arc/") == std::string::npos || ++restores != 3)
                return;
            app_->autoBackupTimer().Fire();
            app_->autoBackupTimer().Fire();
            app_->ShellOpen({other});
            Drop(QString::fromStdString(dropped));
        };
        Key(Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(Rows().SelectedCount(), count);

        SeenBox question, summary;
        int flashesDuringRestore = -1;
        std::string managerDuringRestore;
        int rowsDuringRestore = -1;
        AnswerBox(question, QMessageBox::No, [&] {
            AnswerBox(summary, QMessageBox::Ok, [&] {
                flashesDuringRestore = flashes;
                managerDuringRestore = app_->doc().PathName();
                rowsDuringRestore = Rows().Count();
            });
        });
        MenuItem(QStringLiteral("Edit"), kCmdRestoreSelected).trigger();
        QVERIFY(summary.shown);
        QCOMPARE(Plain(summary.text), QStringLiteral("6 Files were restored"));
        QCOMPARE(flashesDuringRestore, 0);
        QCOMPARE(managerDuringRestore, team);
        QCOMPARE(rowsDuringRestore, count);
        for (int i = 0; i < count; ++i) {
            const QByteArray archived = "archived " + QByteArray::number(i);
            QCOMPARE(Content(Path(QStringLiteral("src/team%1.txt").arg(i))), archived);
            QCOMPARE(Content(Path(QStringLiteral("arc/team%1.txt").arg(i))), archived);
        }
        // Afterwards the tick ran once (two flashes), then the forwarded manager opened, then
        // the dropped file became its entry.
        QCOMPARE(flashes, 2);
        QCOMPARE(app_->doc().PathName(), other);
        QCOMPARE(Rows().Count(), 2);
        QCOMPARE(Rows().Entry(1).sourcePath, dropped);
    }

    // Verify Selected from the Edit menu finds an archive whose bytes changed behind an
    // unchanged size and time, and reports; Verify After Copy is the manager's checked setting.
    void verifySelectedFindsAnArchiveChangedBehindSizeAndTime() {
        const std::string team = WriteManager(QStringLiteral("team"), 3);
        for (int i = 0; i < 3; ++i) {
            const std::string source = Path(QStringLiteral("src/team%1.txt").arg(i));
            QFile archive(QString::fromStdString(Path(QStringLiteral("arc/team%1.txt").arg(i))));
            QVERIFY(archive.open(QIODevice::WriteOnly | QIODevice::Truncate));
            archive.write(i == 1 ? QByteArray("cxrrent 1") : Content(source));
            QVERIFY(archive.setFileTime(QFileInfo(QString::fromStdString(source)).lastModified(),
                                        QFileDevice::FileModificationTime));
        }
        Start({team});
        QCOMPARE(Rows().Entry(1).textColor, kColorUpToDate);
        Key(Qt::Key_A, Qt::ControlModifier);
        SeenBox report;
        AnswerBox(report, QMessageBox::Ok);
        MenuItem(QStringLiteral("Edit"), kCmdVerifySelected).trigger();
        QVERIFY(report.shown);
        QCOMPARE(report.title, QStringLiteral("Verify Report"));
        QVERIFY(Plain(report.text)
                    .startsWith(QStringLiteral("2  Files were verified.\n\n1  File differs.")));
        QCOMPARE(Rows().Entry(0).textColor, kColorUpToDate);
        QCOMPARE(Rows().Entry(1).textColor, kColorProblem);
        QCOMPARE(Rows().Entry(1).LastErrorCode(), kErrorContentsDiffer);
        QCOMPARE(Content(Path(QStringLiteral("arc/team1.txt"))), QByteArray("cxrrent 1"));
        QVERIFY(!app_->doc().IsModified());

        QAction& afterCopy = MenuItem(QStringLiteral("Edit"), kCmdVerifyAfterCopy);
        QVERIFY(afterCopy.isCheckable());
        QVERIFY(!afterCopy.isChecked());
        afterCopy.trigger();
        QVERIFY(app_->doc().Options().verifyAfterCopy);
        QVERIFY(app_->doc().IsModified());
        QVERIFY(MenuItem(QStringLiteral("Edit"), kCmdVerifyAfterCopy).isChecked());
    }

    // A header click sorts and marks the manager modified: Save follows at once, so Ctrl+S
    // writes the sorted manager.
    void ctrlSSavesAfterAHeaderClick() {
        const std::string team = WriteManager(QStringLiteral("team"), 3);
        Start({team});
        QAction& save = *app_->frame().Action(kCmdFileSave);
        QVERIFY(!save.isEnabled());
        QHeaderView& header = *app_->view().horizontalHeader();
        // Name: the first click sorts A to Z; the second Z to A.
        for (int click = 0; click < 2; ++click)
            QTest::mouseClick(header.viewport(), Qt::LeftButton, {},
                              QPoint(header.sectionViewportPosition(0) + 5, header.height() / 2));
        QVERIFY(app_->doc().IsModified());
        QVERIFY(save.isEnabled());
        Key(Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!app_->doc().IsModified());
        const ManagerReadResult saved = DecodeManager(Content(team).toStdString());
        QCOMPARE(saved.records.size(), std::size_t(3));
        QCOMPARE(saved.records.front().sourcePath, Path(QStringLiteral("src/team2.txt")));
        QVERIFY(!save.isEnabled());
    }

    // Rename Drive on POSIX: the prompt offers the archives' mount point; a letter is refused
    // with the retry text, and the typed folder replaces the mount point.
    void renameDriveReplacesTheMountPoint() {
        const std::string team = WriteManager(QStringLiteral("team"), 2);
        Start({team});
        Key(Qt::Key_A, Qt::ControlModifier);
        const std::string archive = Rows().Entry(0).archivePath;
        std::string mount = QStorageInfo(QString::fromStdString(archive)).rootPath().toStdString();
        QVERIFY(!mount.empty());
        QVERIFY(archive.rfind(mount, 0) == 0);
        const std::string moved = Path(QStringLiteral("moved"));

        QStringList offered;
        test::WhenModal<CPromptDlg>([&](CPromptDlg& prompt) {
            offered << prompt.Edit()->text();
            test::WhenModal<CPromptDlg>([&](CPromptDlg& again) {
                offered << again.Edit()->text();
                again.Edit()->setText(QString::fromStdString(moved));
                again.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
            });
            prompt.Edit()->setText(QStringLiteral("e"));
            prompt.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        });
        MenuItem(QStringLiteral("Edit"), kCmdRenameDrive).trigger();
        QCOMPARE(offered.size(), 2);
        QCOMPARE(offered[0].toStdString(), mount);
        QCOMPARE(offered[1], QStringLiteral("Enter an absolute folder, such as /media/backup!"));
        const std::string rest = mount == "/" ? archive : archive.substr(mount.size());
        QCOMPARE(Rows().Entry(0).archivePath, moved + rest);
        QVERIFY(app_->doc().IsModified());
        QVERIFY(Rows().Entry(0).archivePath.find("E:") == std::string::npos);
    }

    // Keep Versions in the File menu, a Backup All that keeps the replaced archive, its note in
    // the archive's tool tip, and Restore Version from the Edit menu bringing it back.
    void keptVersionsThroughTheMenus() {
        const std::string team = WriteManager(QStringLiteral("team"), 1);
        Start({team});
        test::WhenModal<CPromptDlg>([](CPromptDlg& prompt) {
            prompt.Edit()->setText(QStringLiteral("2"));
            prompt.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        });
        MenuItem(QStringLiteral("File"), kCmdKeepVersions).trigger();
        QCOMPARE(app_->doc().Options().keepVersions, 2);

        SeenBox report;
        AnswerBox(report, QMessageBox::Ok);
        MenuItem(QStringLiteral("Edit"), kCmdBackupAll).trigger();
        QVERIFY(report.shown);
        const std::string archive = Rows().Entry(0).archivePath;
        QCOMPARE(Text(archive), QByteArray("current 0"));
        QVERIFY(Content(team + ".options").contains("keep-versions=2"));
        const QModelIndex cell = app_->view().model().index(0, kColumnArchivePath);
        QVERIFY(cell.data(Qt::ToolTipRole)
                    .toString()
                    .endsWith(QStringLiteral("\n1 older version kept (Restore Version...)")));

        Key(Qt::Key_A, Qt::ControlModifier);
        QStringList listed;
        SeenBox question, summary;
        test::WhenModal<QInputDialog>([&](QInputDialog& list) {
            listed = list.comboBoxItems();
            AnswerBox(question, QMessageBox::No, [&] { AnswerBox(summary, QMessageBox::Ok); });
            list.accept();
        });
        MenuItem(QStringLiteral("Edit"), kCmdRestoreVersion).trigger();
        QCOMPARE(listed.size(), 1);
        QVERIFY(listed[0].endsWith(QStringLiteral(" bytes)")));
        QVERIFY(question.shown);
        QCOMPARE(Plain(summary.text), QStringLiteral("1 File was restored"));
        QCOMPARE(Text(Rows().Entry(0).sourcePath), QByteArray("archived 0"));
    }

    // A restore whose source copy fails for a long file name: the message box shows the
    // system's reason below the name, whole.
    void longMessagesShowTheReason() {
        QDir(dir_->path()).mkpath(QStringLiteral("src"));
        QDir(dir_->path()).mkpath(QStringLiteral("arc"));
        // The copy names "[copyN]" make it longer than a file name may be.
        const std::string source =
            Path(QStringLiteral("src/") + QString(246, QLatin1Char('n')) + QStringLiteral(".txt"));
        const std::string archive = Path(QStringLiteral("arc/long.txt"));
        WriteFile(source, "current", 100);
        WriteFile(archive, "archived", 5000);
        const std::string team = Path(QStringLiteral("team.bak"));
        WriteFile(team, QByteArray::fromStdString(EncodeManager({{source, archive, ""}})), 10);
        Start({team});
        Key(Qt::Key_A, Qt::ControlModifier);

        SeenBox question, problem, summary;
        AnswerBox(question, QMessageBox::Yes, [&] {
            AnswerBox(problem, QMessageBox::Ok, [&] { AnswerBox(summary, QMessageBox::Ok); });
        });
        MenuItem(QStringLiteral("Edit"), kCmdRestoreSelected).trigger();
        QVERIFY(problem.shown);
        QVERIFY(Plain(problem.text)
                    .startsWith(QStringLiteral("Problem making a copy of source file 1")));
        QVERIFY(Plain(problem.text).endsWith(QStringLiteral("\n\nFile name too long")));
        QVERIFY(problem.labelFits);
        QVERIFY(summary.shown);
        QCOMPARE(Content(source), QByteArray("archived"));
    }

    // Escape during a Backup All stops it between two files: the file at hand is finished,
    // the rest are skipped, the manager is saved, and the report says so.
    void escapeStopsABackup() {
        const std::string team = WriteManager(QStringLiteral("team"), 8, kLargePadding);
        Start({team});
        int copies = 0;
        files_->beforeCopy = [&](const std::string& from, const std::string&) {
            if (from.find("/src/") != std::string::npos && ++copies == 3)
                Key(Qt::Key_Escape);
        };
        SeenBox report;
        AnswerBox(report, QMessageBox::Ok);
        MenuItem(QStringLiteral("Edit"), kCmdBackupAll).trigger();
        QVERIFY(report.shown);
        QCOMPARE(report.title, QStringLiteral("Report"));
        QVERIFY(Plain(report.text)
                    .startsWith(QStringLiteral("0  Files were up to date.\n\n3  Files were backed "
                                               "up.\n\n5  Files were skipped.")));
        for (int i = 0; i < 8; ++i) {
            const QByteArray expected = (i < 3 ? "current " : "archived ") + QByteArray::number(i);
            QCOMPARE(Text(Path(QStringLiteral("arc/team%1.txt").arg(i))), expected);
        }
        QVERIFY(!app_->doc().IsModified());
        QCOMPARE(app_->frame().statusBar()->findChild<QPushButton*>(
                     QString::fromLatin1(kStatusProgressCancelName)),
                 nullptr);

        // A click on the Cancel button beside the bar stops a restore the same way; other
        // clicks on the window (the header) do nothing meanwhile.
        int restores = 0;
        std::vector<std::string> order;
        files_->beforeCopy = [&](const std::string& from, const std::string&) {
            if (from.find("/arc/") == std::string::npos || ++restores != 2)
                return;
            for (int row = 0; row < Rows().Count(); ++row)
                order.push_back(Rows().Entry(row).sourcePath);
            QHeaderView& header = *app_->view().horizontalHeader();
            QTest::mouseClick(header.viewport(), Qt::LeftButton, {},
                              QPoint(header.sectionViewportPosition(0) + 5, header.height() / 2));
            auto* cancel = app_->frame().statusBar()->findChild<QPushButton*>(
                QString::fromLatin1(kStatusProgressCancelName));
            QVERIFY(cancel != nullptr && cancel->isVisible());
            QTest::mouseClick(cancel, Qt::LeftButton);
        };
        Key(Qt::Key_A, Qt::ControlModifier);
        SeenBox question, summary;
        AnswerBox(question, QMessageBox::No, [&] { AnswerBox(summary, QMessageBox::Ok); });
        MenuItem(QStringLiteral("Edit"), kCmdRestoreSelected).trigger();
        QCOMPARE(Plain(summary.text), QStringLiteral("2 Files were restored\n6 Restores Skipped"));
        // Rows 3 to 7 have older archives: restored, their sources would have changed.
        QCOMPARE(Text(Path(QStringLiteral("src/team3.txt"))), QByteArray("current 3"));
        QCOMPARE(Text(Path(QStringLiteral("src/team7.txt"))), QByteArray("current 7"));
        QCOMPARE(app_->view().columnState(0).sortFlag, 0);
        for (int row = 0; row < Rows().Count(); ++row)
            QCOMPARE(Rows().Entry(row).sourcePath, order[std::size_t(row)]);
    }

    // The close button during a Backup All asks whether to stop it; Yes stops the run between
    // two files and the window closes once it has ended.
    void closeDuringABackupAsksAndClosesAfterIt() {
        const std::string team = WriteManager(QStringLiteral("team"), 6, kLargePadding);
        Start({team});
        int copies = 0;
        SeenBox stop, report;
        files_->beforeCopy = [&](const std::string& from, const std::string&) {
            if (from.find("/src/") == std::string::npos || ++copies != 2)
                return;
            AnswerBox(stop, QMessageBox::Yes, [&] { AnswerBox(report, QMessageBox::Ok); });
            app_->frame().close();
            // The window stays while the run finishes.
            QVERIFY(app_->frame().isVisible());
        };
        MenuItem(QStringLiteral("Edit"), kCmdBackupAll).trigger();
        QVERIFY(stop.shown);
        QCOMPARE(Plain(stop.text),
                 QStringLiteral("Brackenhold is still copying or checking files.\n\nStop after "
                                "the file at hand and close?"));
        QVERIFY(report.shown);
        QVERIFY(Plain(report.text).contains(QStringLiteral("2  Files were backed up.")));
        QVERIFY(Plain(report.text).contains(QStringLiteral("4  Files were skipped.")));
        QTRY_VERIFY(!app_->frame().isVisible());
        QCOMPARE(Text(Path(QStringLiteral("arc/team1.txt"))), QByteArray("current 1"));
        QCOMPARE(Text(Path(QStringLiteral("arc/team2.txt"))), QByteArray("archived 2"));
    }

    // File > Add Folder... on a real tree: both folders are asked with the prompt dialog, the
    // regular files are added with archives at the same relative paths, the link is skipped,
    // and the summary box counts them.
    void addFolderFromTheFileMenu() {
        Start();
        QVERIFY2(!MenuItem(QStringLiteral("File"), kCmdAddFolder).isEnabled(), "untitled");
        const std::string team = WriteManager(QStringLiteral("team"), 0);
        QDir(dir_->path()).mkpath(QStringLiteral("tree/sub"));
        WriteFile(Path(QStringLiteral("tree/a.txt")), "a", 100);
        WriteFile(Path(QStringLiteral("tree/sub/b.txt")), "b", 100);
        QVERIFY(QFile::link(QString::fromStdString(Path(QStringLiteral("tree/a.txt"))),
                            dir_->filePath(QStringLiteral("tree/link.txt"))));
        app_.reset();
        Start({team});
        QAction& item = MenuItem(QStringLiteral("File"), kCmdAddFolder);
        QCOMPARE(item.text(), QStringLiteral("Add Fol&der..."));
        QVERIFY(item.isEnabled());

        const std::string tree = Path(QStringLiteral("tree"));
        const std::string arc = Path(QStringLiteral("arc/tree"));
        QStringList offered;
        SeenBox summary;
        test::WhenModal<CPromptDlg>([&](CPromptDlg& prompt) {
            offered << prompt.Edit()->text();
            test::WhenModal<CPromptDlg>([&](CPromptDlg& again) {
                offered << again.Edit()->text();
                AnswerBox(summary, QMessageBox::Ok);
                again.Edit()->setText(QString::fromStdString(arc));
                again.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
            });
            prompt.Edit()->setText(QString::fromStdString(tree));
            prompt.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        });
        item.trigger();
        QCOMPARE(offered.size(), 2);
        // Beside the manager, the folder's own name is the folder itself: another is offered.
        QCOMPARE(offered[1].toStdString(), Path(QStringLiteral("tree-archive")));
        QVERIFY(summary.shown);
        QCOMPARE(summary.title, QStringLiteral("Add Folder to Backup Manager"));
        QVERIFY(Plain(summary.text).startsWith(QStringLiteral("Files added: 2\n")));
        QVERIFY(Plain(summary.text).contains(QStringLiteral("link.txt: skipped: symbolic link")));
        QCOMPARE(Rows().Count(), 2);
        QCOMPARE(Rows().Entry(0).sourcePath, tree + "/a.txt");
        QCOMPARE(Rows().Entry(0).archivePath, arc + "/a.txt");
        QCOMPARE(Rows().Entry(1).archivePath, arc + "/sub/b.txt");
        QVERIFY(QFile::exists(QString::fromStdString(arc + "/sub/b.txt")));
        QVERIFY(app_->doc().IsModified());
        QCOMPARE(app_->doc().addDirStr, tree + "/");
    }

    // The about box, opened from the Help menu, says what the program is as designed.
    void aboutBoxDescribesTheProgram() {
        Start();
        QString description;
        test::WhenModal<CAboutDlg>([&](CAboutDlg& about) {
            if (auto* label = about.findChild<QLabel*>(QStringLiteral("descriptionText")))
                description = label->text();
            about.reject();
        });
        MenuItem(QStringLiteral("Help"), kCmdAbout).trigger();
        QCOMPARE(description,
                 QStringLiteral("Brackenhold is an archive and distribution file manager. It "
                                "copies a source file to an archive file whenever the archive is "
                                "out of date. The source and archive can be located in arbitrary "
                                "network folders."));
    }
};

QTEST_MAIN(ScenarioTest)
#include "Scenario_test.moc"
