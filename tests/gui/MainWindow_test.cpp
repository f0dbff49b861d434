#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include "core/base/CommandIds.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/FileEntry.h"
#include "core/ports/MessageBoxFlags.h"
#include "gui/BrackenholdApp.h"
#include "gui/BrackenholdView.h"
#include "gui/MainFrame.h"
#include "gui/ManagerTableModel.h"
#include "gui/StatusPanes.h"
#include "platform/memory/FakeManagerLock.h"
#include "platform/memory/FakeSystemErrors.h"
#include "platform/memory/FixedClock.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemorySettingsStore.h"
#include "platform/memory/RecordingShell.h"
#include "platform/memory/ScriptedUserInterface.h"

using namespace bh;

// The real main window over in-memory ports and a scripted user interface.
class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<MemoryFileSystem> files_;
    std::unique_ptr<RecordingShell> shell_;
    std::unique_ptr<MemorySettingsStore> settings_;
    std::unique_ptr<FixedClock> clock_;
    std::unique_ptr<FakeSystemErrors> errors_;
    std::unique_ptr<ScriptedUserInterface> ui_;
    std::unique_ptr<FakeManagerLock> lock_;  // null: the platform's
    std::unique_ptr<BrackenholdApp> app_;

    void Start() {
        app_ = std::make_unique<BrackenholdApp>(
            AppPorts{*files_, *shell_, *settings_, *clock_, *errors_, ui_.get(), lock_.get()});
        app_->Start({});
        QCoreApplication::processEvents();
    }

    void AddEntry(const std::string& source, bool sourceExists) {
        if (sourceExists)
            files_->AddFile(source, "0123456789", 1000);
        app_->doc().rows().Append(
            std::make_unique<CFileEntry>(source, source + ".arc", "", *shell_, *files_));
    }

    QAction& Action(int id) { return *app_->frame().Action(id); }
    QString Pane(int pane) { return StatusPaneText(*app_->frame().statusBar(), pane); }

  private Q_SLOTS:
    void init() {
        files_ = std::make_unique<MemoryFileSystem>();
        shell_ = std::make_unique<RecordingShell>();
        settings_ = std::make_unique<MemorySettingsStore>();
        clock_ = std::make_unique<FixedClock>(1'300'000'000);
        errors_ = std::make_unique<FakeSystemErrors>();
        ui_ = std::make_unique<ScriptedUserInterface>();
    }
    void cleanup() {
        app_.reset();
        lock_.reset();
    }

    void firstStartWithEmptySettings() {
        Start();
        CBrackenholdView& view = app_->view();
        QCOMPARE(view.fontPointSize(), 15);
        QVERIFY(!view.grayBar());
        QCOMPARE(view.dateMode(), 1);
        QVERIFY(view.showIcons());
        QCOMPARE(view.autoBackupHours(), 24);
        for (int column = 0; column < kColumnCount; ++column) {
            QCOMPARE(view.ColumnAtPosition(column), column);
            QCOMPARE(view.columnState(column).visible, 1);
            QVERIFY(view.ColumnWidth(column) > 0);
            QCOMPARE(view.ColumnWidth(column), view.DefaultColumnWidth(column));
        }
        QCOMPARE(view.model().headerData(11, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("Type Name"));
        QCOMPARE(app_->frame().ToolbarSizeIndex(), 1);
        QCOMPARE(app_->frame().ToolBar()->iconSize(), QSize(24, 23));
        QCOMPARE(app_->frame().windowTitle(),
                 QStringLiteral("Create or Open a Backup Manager - Brackenhold"));
        // An untitled, empty manager: nothing to save, close or back up.
        app_->frame().UpdateCommands();
        QVERIFY(!Action(kCmdFileSave).isEnabled());
        QVERIFY(!Action(kCmdFileClose).isEnabled());
        QVERIFY(!Action(kCmdBackupAll).isEnabled());
        QVERIFY(Action(kCmdFileOpen).isEnabled());
        QVERIFY(Action(kCmdFontMedium).isChecked());
        QVERIFY(Action(kCmdDateModeFirst + 1).isChecked());
        QVERIFY(!Action(kCmdDateModeFirst + 0).isChecked());
    }

    void storedColumnLayoutIsRestored() {
        settings_->WriteInt("Settings", "nColWidth0", 1 * 65536 + 150);
        settings_->WriteInt("Settings", "nColWidth1", 0 * 65536 + 0);
        for (int column = 2; column < kColumnCount; ++column)
            settings_->WriteInt("Settings", "nColWidth" + std::to_string(column),
                                column * 65536 + 80);
        Start();
        CBrackenholdView& view = app_->view();
        QCOMPARE(view.ColumnAtPosition(0), 1);
        QCOMPARE(view.ColumnAtPosition(1), 0);
        QCOMPARE(view.ColumnAtPosition(2), 2);
        QCOMPARE(view.ColumnWidth(0), 150);
        QCOMPARE(view.ColumnWidth(1), 0);
        QCOMPARE(view.columnState(1).visible, 0);
        app_->frame().UpdateCommands();
        QVERIFY(!Action(kCmdColumnFirst + 1).isChecked());
        QVERIFY(Action(kCmdColumnFirst + 0).isChecked());

        // Showing it again measures it; Set Defaults puts everything back.
        Action(kCmdColumnFirst + 1).trigger();
        QVERIFY(view.ColumnWidth(1) > 20);
        QCOMPARE(view.columnState(1).visible, 1);
        Action(kCmdColumnDefaults).trigger();
        QCOMPARE(view.ColumnAtPosition(0), 0);
        QCOMPARE(view.ColumnWidth(0), view.DefaultColumnWidth(0));
    }

    void fontChangesScaleTheColumnsAndTheToolbar() {
        settings_->WriteInt("Settings", "nColWidth2", 2 * 65536 + 100);
        settings_->WriteInt("Settings", "nColWidth3", 3 * 65536 + 0);
        Start();
        CBrackenholdView& view = app_->view();
        Action(kCmdFontLarge).trigger();
        QCOMPARE(view.fontPointSize(), 20);
        QCOMPARE(view.ColumnWidth(2), 133);
        QCOMPARE(view.ColumnWidth(3), 0);
        QCOMPARE(app_->frame().ToolbarSizeIndex(), 2);
        QCOMPARE(app_->frame().ToolBar()->iconSize(), QSize(31, 32));
        QVERIFY(Action(kCmdFontLarge).isChecked());
        Action(kCmdFontMedium).trigger();
        QCOMPARE(view.ColumnWidth(2), 99);
        QCOMPARE(app_->frame().ToolbarSizeIndex(), 1);
    }

    void settingsAreWrittenBackAtExit() {
        Start();
        Action(kCmdGrayBar).trigger();
        Action(kCmdDateModeFirst + 0).trigger();
        Action(kCmdShowIcons).trigger();
        Action(kCmdStartWithMru).trigger();
        QVERIFY(Action(kCmdStartWithMru).isChecked());
        app_->view().horizontalHeader()->moveSection(0, 5);
        const int width4 = app_->view().ColumnWidth(4);
        app_->Exit();
        QCOMPARE(settings_->GetInt("Settings", "bGrayBar", -1), 1);
        QCOMPARE(settings_->GetInt("Settings", "nDateFmt", -1), 0);
        QCOMPARE(settings_->GetInt("Settings", "bShowIcons", -1), 0);
        QCOMPARE(settings_->GetInt("Settings", "nFontPtSize", -1), 15);
        QCOMPARE(settings_->GetInt("Settings", "nAutoBackupTimeHr", -1), 24);
        QCOMPARE(settings_->GetInt("Settings", "bOpenMRU", -1), 1);
        // Position 0 now shows column 1, position 5 column 0.
        QCOMPARE(settings_->GetInt("Settings", "nColWidth0", -1) >> 16, 1);
        QCOMPARE(settings_->GetInt("Settings", "nColWidth5", -1) >> 16, 0);
        QCOMPARE(settings_->GetInt("Settings", "nColWidth4", -1) & 0xFFFF, width4);
        QVERIFY(!settings_->GetString("Main Window", "Rect", "").empty());
    }

    void storedPlacementIsRestoredMaximized() {
        settings_->WriteString("Main Window", "Rect", "0100 0050 0900 0650");
        settings_->WriteInt("Main Window", "max", 1);
        Start();
        CMainFrame& frame = app_->frame();
        QVERIFY(frame.windowState().testFlag(Qt::WindowMaximized));
        QCOMPARE(frame.normalGeometry(), QRect(100, 50, 800, 600));
        app_->Exit();
        QCOMPARE(settings_->GetString("Main Window", "Rect", ""),
                 std::string("0100 0050 0900 0650"));
        QCOMPARE(settings_->GetInt("Main Window", "max", -1), 1);
        QCOMPARE(settings_->GetInt("Main Window", "icon", -1), 0);
    }

    void unreadablePlacementIsIgnored() {
        settings_->WriteString("Main Window", "Rect", "0100 0050 0900");
        settings_->WriteInt("Main Window", "max", 1);
        Start();
        QVERIFY(!app_->frame().windowState().testFlag(Qt::WindowMaximized));
    }

    void headerClickSortsAndMarksTheManager() {
        Start();
        QHeaderView& header = *app_->view().horizontalHeader();
        // An empty list neither sorts nor marks the manager modified.
        Q_EMIT header.sectionClicked(0);
        QVERIFY(!app_->doc().IsModified());
        QCOMPARE(app_->view().columnState(0).sortFlag, 0);

        AddEntry("/src/b.txt", true);
        AddEntry("/src/c.txt", true);
        AddEntry("/src/a.txt", true);
        app_->doc().SetModifiedFlag(false);
        Q_EMIT header.sectionClicked(0);
        ManagerList& rows = app_->doc().rows();
        QCOMPARE(rows.Entry(0).sourcePath, std::string("/src/a.txt"));
        QCOMPARE(rows.Entry(2).sourcePath, std::string("/src/c.txt"));
        QVERIFY(app_->doc().IsModified());
        // The scripted user interface stands in for the caption's Qt route.
        QVERIFY(QString::fromStdString(ui_->LastCaption()).endsWith(QStringLiteral(" *")));
        Q_EMIT header.sectionClicked(0);
        QCOMPARE(rows.Entry(0).sourcePath, std::string("/src/c.txt"));
    }

    void statusPanesSummariseTheRows() {
        Start();
        QCOMPARE(Pane(3), QStringLiteral("0 Files"));
        QCOMPARE(Pane(4), QStringLiteral("0 B"));
        QCOMPARE(Pane(2), QStringLiteral("All Backed Up"));
        QCOMPARE(Pane(1), QStringLiteral("No Problems"));
        AddEntry("/src/here.txt", true);      // archive missing: a problem
        AddEntry("/src/missing.txt", false);  // source missing: a problem
        files_->AddFile("/src/old.txt", std::string(1500, 'x'), 2000);
        files_->AddFile("/src/old.txt.arc", "x", 1000);
        AddEntry("/src/old.txt", false);  // out of date
        QCoreApplication::processEvents();
        QCOMPARE(Pane(3), QStringLiteral("3 Files"));
        QCOMPARE(Pane(4), QStringLiteral("2 KB"));
        QCOMPARE(Pane(2), QStringLiteral("1 Obselete"));
        QCOMPARE(Pane(1), QStringLiteral("2 Problems"));
    }

    void commandsRunThroughTheirActions() {
        Start();
        app_->doc().SetPathName("/m/team.bak");
        AddEntry("/src/a.txt", true);
        AddEntry("/src/b.txt", true);
        app_->frame().UpdateCommands();
        QVERIFY(Action(kCmdBackupAll).isEnabled());
        QVERIFY(!Action(kCmdRemoveSelected).isEnabled());

        Action(kCmdSelectAll).trigger();
        QCOMPARE(app_->doc().rows().SelectedCount(), 2);
        QVERIFY(Action(kCmdRemoveSelected).isEnabled());
        Action(kCmdSelectNone).trigger();
        QCOMPARE(app_->doc().rows().SelectedCount(), 0);

        // Backup All reports what it did.
        ui_->ClearCalls();
        Action(kCmdBackupAll).trigger();
        const std::vector<UiCall> boxes = ui_->MessageBoxes();
        QVERIFY(!boxes.empty());
        QCOMPARE(boxes.back().caption, std::string("Report"));

        // Remove Selected asks whether to delete the archives; No keeps them.
        app_->doc().rows().SetSelected(0, true);
        ui_->QueueMessageBoxAnswer(kIdNo);
        app_->frame().UpdateCommands();
        QVERIFY(app_->frame().RunCommand(kCmdRemoveSelected));
        QCOMPARE(app_->view().model().Count(), 1);
        QCOMPARE(app_->doc().rows().Entry(0).sourcePath, std::string("/src/b.txt"));
        QVERIFY(files_->Lookup("/src/a.txt") == PathKind::File);
        QCOMPARE(ui_->UnexpectedCalls().size(), std::size_t(0));
    }

    void aManagerAnotherProgramHoldsRefusesTheWritingCommands() {
        lock_ = std::make_unique<FakeManagerLock>();
        lock_->busy.insert("/m/team.bak");
        Start();
        app_->doc().SetPathName("/m/team.bak");
        AddEntry("/src/a.txt", true);
        app_->frame().UpdateCommands();

        ui_->ClearCalls();
        QVERIFY(app_->frame().RunCommand(kCmdBackupAll));
        std::vector<UiCall> boxes = ui_->MessageBoxes();
        QCOMPARE(boxes.size(), std::size_t(1));
        QCOMPARE(boxes[0].text, ManagerBusyText("/m/team.bak"));

        // A refresh writes nothing and runs beside the other program.
        ui_->ClearCalls();
        const int asked = lock_->attempts;
        QVERIFY(app_->frame().RunCommand(kCmdRefreshAll));
        QCOMPARE(lock_->attempts, asked);
        QVERIFY(ui_->MessageBoxes().empty());

        lock_->busy.clear();
        QVERIFY(app_->frame().RunCommand(kCmdBackupAll));
        boxes = ui_->MessageBoxes();
        QVERIFY(!boxes.empty());
        QCOMPARE(boxes.back().caption, std::string("Report"));
    }

    void contextMenuHasTheDesignedItems() {
        Start();
        std::unique_ptr<QMenu> menu(app_->frame().CreateContextMenu(nullptr));
        QStringList items;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator()) {
                items << QStringLiteral("-");
            } else if (action->menu()) {
                QStringList inner;
                for (QAction* sub : action->menu()->actions())
                    inner << sub->text();
                items << action->text() + QStringLiteral(": ") + inner.join(QStringLiteral(", "));
            } else {
                items << action->text();
            }
        }
        const QStringList expected = {
            "Add Files...",
            "Add Fol&der...",
            "Inport Backup...",
            "Change Archive: Rename Drive..., Move Path..., Additional Path...",
            "-",
            "Backup All",
            "Backup Selected",
            "-",
            "Select All\tCtrl+A",
            "Select None\t[esc]",
            "Edit Selected Notes...",
            "-",
            "Remove Selected\t[del]",
            "Restore Selected",
            "Restore Version...",
            "&Verify Selected",
            "-",
            "Show File in Explorer: Source...\tLeft Dbl Click, Archive..., Manager...",
            "Open Source",
            "-",
            "Refresh All",
            "Auto Backup...",
        };
        QCOMPARE(items, expected);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindow_test.moc"
