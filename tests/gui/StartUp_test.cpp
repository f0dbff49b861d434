#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QDropEvent>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "core/base/CommandIds.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/FileEntry.h"
#include "core/document/ManagerFileFormat.h"
#include "gui/BrackenholdApp.h"
#include "gui/MainFrame.h"
#include "gui/ManagerTableModel.h"
#include "gui/QtSettingsStore.h"
#include "gui/StatusPanes.h"
#include "platform/memory/FakeSystemErrors.h"
#include "platform/memory/FileSystemWrapper.h"
#include "platform/memory/FixedClock.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/RecordingShell.h"
#include "platform/memory/ScriptedUserInterface.h"

using namespace bh;

namespace {

// Counts whole-file reads per path, so that a manager read twice shows.
class ReadCountingFileSystem : public FileSystemWrapper {
  public:
    using FileSystemWrapper::FileSystemWrapper;
    ErrorCode ReadAll(const std::string& path, std::string& bytes) override {
        ++reads_[path];
        return FileSystemWrapper::ReadAll(path, bytes);
    }
    int Reads(const std::string& path) const {
        const auto found = reads_.find(path);
        return found == reads_.end() ? 0 : found->second;
    }

  private:
    std::map<std::string, int> reads_;
};

}  // namespace

// The program's start: the file named on the command line, the most recent manager, dropped
// files, and the "Start with MRU" option, over a settings file in a temporary folder.
class StartUpTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<MemoryFileSystem> memory_;
    std::unique_ptr<ReadCountingFileSystem> files_;
    std::unique_ptr<RecordingShell> shell_;
    std::unique_ptr<QtSettingsStore> settings_;
    std::unique_ptr<FixedClock> clock_;
    std::unique_ptr<FakeSystemErrors> errors_;
    std::unique_ptr<ScriptedUserInterface> ui_;
    std::unique_ptr<BrackenholdApp> app_;

    QString SettingsFile() const { return dir_->filePath(QStringLiteral("Brackenhold.ini")); }

    // A manager file whose entries' sources and archives all exist.
    void WriteManager(const std::string& path, const std::vector<std::string>& sources) {
        std::vector<ManagerRecord> records;
        for (const std::string& source : sources) {
            memory_->AddFile(source, "data", 5000);
            memory_->AddFile(source + ".arc", "data", 5000);
            records.push_back(ManagerRecord{source, source + ".arc", ""});
        }
        memory_->AddFile(path, EncodeManager(records));
    }

    void Start(const std::vector<std::string>& commandLine) {
        settings_->Sync();
        app_ = std::make_unique<BrackenholdApp>(
            AppPorts{*files_, *shell_, *settings_, *clock_, *errors_, ui_.get()});
        app_->Start(commandLine);
        QCoreApplication::processEvents();
    }

    // Ends the program as its exit does, and reopens the settings file as the next start.
    void ExitAndReopenSettings() {
        app_->Exit();
        app_.reset();
        settings_->Sync();
        settings_ = std::make_unique<QtSettingsStore>(SettingsFile());
    }

    void Drop(const QString& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&app_->frame(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&app_->frame(), &drop);
        QVERIFY(drop.isAccepted());
        QCoreApplication::processEvents();
    }

    int Rows() const { return app_->view().model().Count(); }
    const std::string& Path() const { return app_->doc().PathName(); }

  private Q_SLOTS:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        memory_ = std::make_unique<MemoryFileSystem>();
        files_ = std::make_unique<ReadCountingFileSystem>(*memory_);
        shell_ = std::make_unique<RecordingShell>();
        settings_ = std::make_unique<QtSettingsStore>(SettingsFile());
        clock_ = std::make_unique<FixedClock>(1'300'000'000);
        errors_ = std::make_unique<FakeSystemErrors>();
        ui_ = std::make_unique<ScriptedUserInterface>();
        WriteManager("/m/team.bak", {"/src/a.txt", "/src/b.txt"});
        WriteManager("/m/last.bak", {"/src/c.txt", "/src/d.txt", "/src/e.txt"});
    }
    void cleanup() {
        app_.reset();
        settings_.reset();
    }

    void namedFileOpensOnceWithItsEntries() {
        Start({"/m/team.bak"});
        QCOMPARE(Path(), std::string("/m/team.bak"));
        QCOMPARE(Rows(), 2);
        QCOMPARE(app_->view().model().rowCount(), 2);
        QCOMPARE(app_->doc().rows().Count(), 2);
        QCOMPARE(files_->Reads("/m/team.bak"), 1);
        QVERIFY(!app_->doc().IsModified());
        QCOMPARE(ui_->LastCaption(), std::string("team.bak"));
        QCOMPARE(app_->recentFiles().Paths().front(), std::string("/m/team.bak"));
        QVERIFY(ui_->UnexpectedCalls().empty());
    }

    void mostRecentManagerOpensOnlyWhenAskedAndNoFileIsNamed() {
        settings_->WriteInt("Settings", "bOpenMRU", 1);
        settings_->WriteString("Recent File List", "File1", "/m/last.bak");
        settings_->WriteString("Recent File List", "File2", "/m/team.bak");
        Start({});
        QVERIFY(app_->openMru());
        QCOMPARE(Path(), std::string("/m/last.bak"));
        QCOMPARE(Rows(), 3);
        QCOMPARE(files_->Reads("/m/team.bak"), 0);
        ExitAndReopenSettings();

        // A named file wins over the most recent one, which is not even read.
        WriteManager("/m/named.bak", {"/src/n.txt"});
        Start({"/m/named.bak"});
        QCOMPARE(Path(), std::string("/m/named.bak"));
        QCOMPARE(Rows(), 1);
        QCOMPARE(files_->Reads("/m/last.bak"), 1);  // the first start's read only
        ExitAndReopenSettings();

        // Without the option the program starts with an empty, untitled manager.
        settings_->WriteInt("Settings", "bOpenMRU", 0);
        Start({});
        QVERIFY(Path().empty());
        QCOMPARE(Rows(), 0);
    }

    void firstStartOpensAWindowOfUsefulSize() {
        Start({});
        // The first pane says Ready at once, and again once a menu prompt is gone.
        QStatusBar& bar = *app_->frame().statusBar();
        QCOMPARE(StatusPaneText(bar, 0), QStringLiteral("Ready"));
        QStatusTipEvent tip(QStringLiteral("Create a new backup manager"));
        QCoreApplication::sendEvent(&app_->frame(), &tip);
        QCOMPARE(StatusPaneText(bar, 0), QStringLiteral("Create a new backup manager"));
        QStatusTipEvent gone{QString()};
        QCoreApplication::sendEvent(&app_->frame(), &gone);
        QCOMPARE(StatusPaneText(bar, 0), QStringLiteral("Ready"));

        const QSize screen = app_->frame().screen()->availableGeometry().size();
        QCOMPARE(app_->frame().size(), screen * 3 / 4);
        ExitAndReopenSettings();
        // Once a place is stored, it is used as it stands.
        settings_->WriteString("Main Window", "Rect", "0100 0050 0500 0350");
        Start({});
        QCOMPARE(app_->frame().size(), QSize(400, 300));
    }

    void mostRecentWithAnEmptyListGivesAnEmptyManager() {
        settings_->WriteInt("Settings", "bOpenMRU", 1);
        Start({});
        QVERIFY(Path().empty());
        QCOMPARE(Rows(), 0);
        QCOMPARE(app_->doc().Title(), std::string("Create or Open a Backup Manager"));
        QVERIFY(ui_->MessageBoxes().empty());
    }

    void droppedRecentManagerOpensAndOtherFilesBecomeEntries() {
        // The list holds the manager in another spelling; the match ignores letter case.
        settings_->WriteString("Recent File List", "File1", "/M/TEAM.BAK");
        settings_->WriteString("Recent File List", "File2", "/m/last.bak");
        Start({});
        QVERIFY(Path().empty());

        Drop(QStringLiteral("/m/team.bak"));
        QCOMPARE(Path(), std::string("/m/team.bak"));
        QCOMPARE(Rows(), 2);
        QVERIFY(!app_->doc().IsModified());

        // A file that is no recent manager becomes an entry of the open one.
        memory_->AddFile("/src/new.txt", "new data", 7000);
        Drop(QStringLiteral("/src/new.txt"));
        QCOMPARE(Path(), std::string("/m/team.bak"));
        QCOMPARE(Rows(), 3);
        QCOMPARE(app_->doc().rows().Entry(app_->doc().rows().Count() - 1).sourcePath,
                 std::string("/src/new.txt"));
        QVERIFY(app_->doc().IsModified());

        // A manager file that is not in the list is a file like any other.
        WriteManager("/m/other.bak", {"/src/x.txt"});
        Drop(QStringLiteral("/m/other.bak"));
        QCOMPARE(Path(), std::string("/m/team.bak"));
        QCOMPARE(Rows(), 4);
        QCOMPARE(app_->doc().rows().Entry(app_->doc().rows().Count() - 1).sourcePath,
                 std::string("/m/other.bak"));
        QVERIFY(ui_->UnexpectedCalls().empty());
    }

    void startWithMruIsStoredAtExit() {
        Start({});
        QVERIFY(!app_->openMru());
        app_->frame().UpdateCommands();
        QAction& option = *app_->frame().Action(kCmdStartWithMru);
        QVERIFY(option.isCheckable());
        QVERIFY(!option.isChecked());
        option.trigger();
        app_->frame().UpdateCommands();
        QVERIFY(option.isChecked());
        ExitAndReopenSettings();
        QCOMPARE(settings_->GetInt("Settings", "bOpenMRU", -1), 1);

        Start({});
        QVERIFY(app_->openMru());
        app_->frame().Action(kCmdStartWithMru)->trigger();
        ExitAndReopenSettings();
        QCOMPARE(settings_->GetInt("Settings", "bOpenMRU", -1), 0);
    }
};

QTEST_MAIN(StartUpTest)
#include "StartUp_test.moc"
