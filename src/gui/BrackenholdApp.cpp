#include "gui/BrackenholdApp.h"

#include <QApplication>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include "core/app/CommandEnabling.h"
#include "core/app/HelpCommands.h"
#include "core/app/ManagerLockedCommands.h"
#include "core/app/OperationCommands.h"
#include "core/app/TitleWatchingUi.h"
#include "core/base/CommandIds.h"
#include "core/base/ProgressScope.h"
#include "core/base/Settings.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/FileEntry.h"
#include "core/operations/AddFiles.h"
#include "core/operations/ArchivePaths.h"
#include "core/operations/AutoBackup.h"
#include "core/operations/BackupRun.h"
#include "core/operations/DocumentCommands.h"
#include "core/operations/Import.h"
#include "core/operations/ManagerFile.h"
#include "core/operations/OpenRequest.h"
#include "core/operations/RemoveSelected.h"
#include "core/operations/Restore.h"
#include "core/operations/VersionCommands.h"
#include "core/ports/MessageBoxFlags.h"
#include "core/view/Columns.h"
#include "core/view/SelectionCommands.h"
#include "core/view/Summaries.h"
#include "gui/AboutDlg.h"
#include "gui/BrackenholdView.h"
#include "gui/MainFrame.h"
#include "gui/ManagerTableModel.h"
#include "gui/ManualLocation.h"
#include "gui/OperationGate.h"
#include "gui/QtAutoBackupTimer.h"
#include "gui/QtShell.h"
#include "gui/QtUserInterface.h"
#include "gui/QtVolumes.h"
#include "gui/StatusPanes.h"
#include "gui/StatusProgress.h"
#include "platform/NativePlatform.h"

namespace bh {

BrackenholdApp::BrackenholdApp(AppPorts ports, QObject* parent)
    : QObject(parent),
      ports_(ports),
      ownLock_(ports.managerLock ? nullptr : std::make_unique<NativeManagerLock>()),
      managerLock_(ports.managerLock ? ports.managerLock : ownLock_.get()),
      recentFiles_(RecentFileList::kDefaultSize) {}

BrackenholdApp::~BrackenholdApp() {
    Exit();
    // The document borrows the ports: it goes first, after the view stopped showing its rows
    // (their going would otherwise redraw the frame from a document half destroyed).
    if (view_)
        view_->model().Attach(nullptr);
    doc_.reset();
    autoBackup_.reset();
    frame_.reset();
}

void BrackenholdApp::Start(const std::vector<std::string>& commandLineFiles) {
    recentFiles_.Load(ports_.settings);
    openMru_ = ReadSetting(ports_.settings, kSettingOpenMostRecent);
    // The frame's toolbar set and the view's list font follow one stored size.
    const int fontPoints = ReadSetting(ports_.settings, kSettingFontSize);

    frame_ = std::make_unique<CMainFrame>(ports_.settings, fontPoints);
    if (ports_.ui == nullptr) {
        qtUi_ = std::make_unique<QtUserInterface>(frame_.get());
        qtUi_->SetStatusBar(frame_->statusBar());
        qtUi_->SetCaptionHandler(
            [this](const QString& title) { frame_->RefreshCaption(title.toStdString()); });
        ui_ = qtUi_.get();
    } else {
        ui_ = ports_.ui;
    }
    watchedUi_ = std::make_unique<TitleWatchingUi>(*ui_, [this] {
        if (frame_)
            frame_->DocumentStateChanged();
    });
    ui_ = watchedUi_.get();
    volumes_ = std::make_unique<QtVolumes>();
    view_ = new CBrackenholdView(ports_.settings, *ui_, *frame_, ports_.clock, ports_.systemErrors,
                                 fontPoints);
    frame_->setCentralWidget(view_);
    services_ = std::make_unique<Services>(
        Services{ports_.fileSystem, ports_.shell, *ui_, ports_.settings, ports_.clock,
                 ports_.systemErrors, managerLock_, ports_.notifier});
    doc_ = std::make_unique<CBrackenholdDoc>(*services_, &recentFiles_);
    view_->SetCoreRules(CoreRules());
    view_->model().SetIconFunction([](const CFileEntry& entry) {
        const auto* icon = dynamic_cast<const QtShellIcon*>(entry.Icon());
        return icon ? icon->icon : QIcon();
    });
    view_->model().SetArchiveNoteFunction([this](const CFileEntry& entry) {
        return KeptVersionsNote(services_->fileSystem, services_->clock, entry.archivePath);
    });
    view_->AttachDocument(*doc_);
    autoBackupTimer_ = new QtAutoBackupTimer(frame_.get());
    autoBackup_ = std::make_unique<AutoBackup>(*ui_, *autoBackupTimer_);
    autoBackup_->flashWindow = [this] { QApplication::alert(frame_.get()); };
    autoBackup_->managerLock = managerLock_;
    // A tick that falls due while a command runs is served once, after it.
    autoBackupTimer_->SetAction([this] {
        frame_->Gate().RunOrHold([this] { autoBackup_->OnTimer(*doc_); }, "autoBackupTick");
    });
    frame_->Gate().onEscape = [this] { StopRunningOperation(); };
    view_->onStopAutoBackup = [this] { autoBackup_->SwitchOff(); };
    view_->currentAutoBackupHours = [this] { return autoBackup_->autoBackupHours; };
    connect(view_, &CBrackenholdView::summariesChanged, this, &BrackenholdApp::ShowSummaries);

    WireCommands();
    frame_->runHandler = [this](int id, const std::function<void()>& handler) {
        RunWithManagerLock(id, *doc_, handler);
    };
    frame_->onFilesDropped = [this](const std::vector<std::string>& paths) {
        for (const std::string& path : paths)
            OpenRequest(path);
    };
    frame_->onCloseRequest = [this] { return OnCloseRequest(); };

    doc_->OnNewDocument();
    doc_->InitialUpdate();
    autoBackup_->autoBackupHours = view_->autoBackupHours();
    frame_->RefreshCaption(doc_->Title());
    frame_->ActivateFrame();

    // A copy: opening puts the path at the top of the recent list, which rewrites the list.
    std::string first;
    if (!commandLineFiles.empty()) {
        first = commandLineFiles.front();
    } else if (openMru_ != 0 && !recentFiles_.Paths().empty()) {
        first = recentFiles_.Paths().front();
    }
    if (!first.empty()) {
        frame_->Gate().RunOrHold([this, first] {
            OpenManagerPath(*doc_, first);
            RefreshRecentFileMenu();
        });
    }
    RefreshRecentFileMenu();
    frame_->UpdateCommands();
}

bool BrackenholdApp::OnCloseRequest() {
    if (!frame_->Gate().Busy())
        return SaveModified(*doc_);
    // The close waits for the running work. A run that can stop between two files is asked
    // first whether it should; the window closes (with the usual save question) once it ended.
    const auto* cancel = frame_->statusBar()->findChild<QPushButton*>(
        QString::fromLatin1(kStatusProgressCancelName));
    if (cancel != nullptr && cancel->isEnabled()) {
        if (ui_->MessageBox(kStopRunQuestion, kAppName, kMbYesNo | kMbIconQuestion) != kIdYes)
            return false;
        StopRunningOperation();
    }
    frame_->Gate().RunOrHold(
        [this] { QTimer::singleShot(0, frame_.get(), [this] { frame_->close(); }); }, "close");
    return false;
}

void BrackenholdApp::StopRunningOperation() {
    // Escape does what the Cancel button beside the progress bar does, when there is one.
    if (auto* cancel = frame_->statusBar()->findChild<QPushButton*>(
            QString::fromLatin1(kStatusProgressCancelName));
        cancel != nullptr && cancel->isEnabled()) {
        cancel->click();
    }
}

CBrackenholdView::CoreRules BrackenholdApp::CoreRules() const {
    CBrackenholdView::CoreRules rules;
    rules.summaries = [](const ManagerList& rows) {
        const Summary summary = ComputeSummary(rows);
        return std::array<std::string, 4>{
            PaneText(summary, kPaneFiles), PaneText(summary, kPaneTotalSize),
            PaneText(summary, kPaneObsolete), PaneText(summary, kPaneProblems)};
    };
    return rules;
}

void BrackenholdApp::OpenRequest(const std::string& path) {
    frame_->Gate().RunOrHold([this, path] {
        bh::OpenRequest(*doc_, path);
        RefreshRecentFileMenu();
    });
}

void BrackenholdApp::ShellOpen(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        frame_->Gate().RunOrHold([this, path] {
            ShellOpenRequest(*doc_, path);
            RefreshRecentFileMenu();
        });
    }
    frame_->ActivateFrame();
}

void BrackenholdApp::Exit() {
    if (exited_ || !frame_)
        return;
    exited_ = true;
    WriteSetting(ports_.settings, kSettingOpenMostRecent, openMru_);
    recentFiles_.Save(ports_.settings);
    view_->SaveSettings();
    frame_->SavePlacement();
}

void BrackenholdApp::SaveForSessionEnd() {
    if (doc_ && !doc_->PathName().empty())
        SaveDocumentFile(*doc_, doc_->PathName());
}

void BrackenholdApp::RefreshRecentFileMenu() {
    std::vector<std::string> texts;
    for (const std::string& path : recentFiles_.Paths())
        texts.push_back(RecentFileList::DisplayName(path));
    frame_->SetRecentFileTexts(texts);
}

void BrackenholdApp::ShowSummaries() {
    // Panes 1 to 4 carry the ids 104, 103, 101 and 102; the texts come as 101 to 104.
    const std::array<std::string, 4>& texts = view_->summaries();
    QStatusBar& bar = *frame_->statusBar();
    SetStatusPaneText(bar, 1, QString::fromStdString(texts[3]));
    SetStatusPaneText(bar, 2, QString::fromStdString(texts[2]));
    SetStatusPaneText(bar, 3, QString::fromStdString(texts[0]));
    SetStatusPaneText(bar, 4, QString::fromStdString(texts[1]));
}

void BrackenholdApp::WireCommands() {
    WireFileCommands();
    WireOperationCommands();
    WireViewCommands();
    CMainFrame& frame = *frame_;
    frame.SetCommand(kCmdDocumentation, [this] {
        RunDocumentationCommand(ports_.shell, *ui_, ports_.systemErrors,
                                LocateManual().toStdString());
    });
    frame.SetCommand(kCmdAbout, [this] {
        CAboutDlg about(ports_.shell, *ui_, frame_.get());
        about.exec();
    });
}

void BrackenholdApp::WireFileCommands() {
    CMainFrame& frame = *frame_;
    CBrackenholdDoc& doc = *doc_;
    auto afterFileCommand = [this] { RefreshRecentFileMenu(); };
    frame.SetCommand(kCmdFileNew, [&doc, afterFileCommand] {
        OnFileNew(doc);
        afterFileCommand();
    });
    frame.SetCommand(kCmdFileOpen, [&doc, afterFileCommand] {
        OnFileOpen(doc);
        afterFileCommand();
    });
    frame.SetCommand(
        kCmdFileSave,
        [&doc, afterFileCommand] {
            OnFileSave(doc);
            afterFileCommand();
        },
        [&doc] { return Enabled(CanSave(doc)); });
    frame.SetCommand(kCmdFileSaveAs, [&doc, afterFileCommand] {
        OnFileSaveAs(doc);
        afterFileCommand();
    });
    frame.SetCommand(
        kCmdFileClose, [&doc] { OnFileClose(doc); }, [&doc] { return Enabled(CanClose(doc)); });
    frame.SetCommand(
        kCmdAddFiles, [&doc] { OnAddFiles(doc); }, [&doc] { return Enabled(CanAddFiles(doc)); });
    frame.SetCommand(kCmdImport, [&doc] { OnImportBackup(doc); });
    frame.SetCommand(
        kCmdStartWithMru, [this] { openMru_ = openMru_ ? 0 : 1; },
        [this] { return Checked(openMru_ != 0); });
    frame.SetCommand(kCmdAppExit, [this] { frame_->close(); });
    for (int i = 0; i < kRecentFileCount; ++i) {
        frame.SetCommand(kCmdRecentFileFirst + i, [this, i] {
            if (i >= static_cast<int>(recentFiles_.Paths().size()))
                return;
            const std::string path = recentFiles_.Paths()[static_cast<std::size_t>(i)];
            OpenManagerPath(*doc_, path);
            RefreshRecentFileMenu();
        });
    }
}

void BrackenholdApp::WireOperationCommands() {
    const auto setCommand = [this](int id, std::function<void()> run,
                                   std::function<ActionState()> update) {
        frame_->SetCommand(id, std::move(run), std::move(update));
    };
    bh::WireOperationCommands(setCommand, *doc_, *autoBackup_, [this] {
        // The status of every entry is evaluated again once the command has returned.
        if (OnRenameDrive(*doc_, volumes_.get()))
            QTimer::singleShot(0, this, [this] { frame_->RunCommand(kCmdRefreshAll); });
    });
}

void BrackenholdApp::WireViewCommands() {
    CMainFrame& frame = *frame_;
    CBrackenholdView& view = *view_;
    for (int column = 0; column < kColumnCount; ++column) {
        frame.SetCommand(
            kCmdColumnFirst + column, [&view, column] { view.ToggleColumn(column); },
            [&view, column] { return Checked(view.columnState(column).visible != 0); });
    }
    frame.SetCommand(kCmdColumnDefaults, [&view] { view.SetColumnDefaults(); });
    const int points[] = {10, 15, 20};
    for (int size = 0; size < 3; ++size) {
        frame.SetCommand(
            kCmdFontSmall + size, [&view, size] { view.ChangeFontSize(size); },
            [&view, size, p = points[size]] { return Checked(view.fontPointSize() == p); });
    }
    frame.SetCommand(
        kCmdGrayBar, [&view] { view.ToggleGrayBar(); },
        [&view] { return Checked(view.grayBar()); });
    frame.SetCommand(
        kCmdShowIcons, [&view] { view.ToggleIcons(); },
        [&view] { return Checked(view.showIcons()); });
    for (int mode = 0; mode < kDateModeCount; ++mode) {
        frame.SetCommand(
            kCmdDateModeFirst + mode, [&view, mode] { view.SetDateMode(mode); },
            [&view, mode] { return Checked(view.dateMode() == mode); });
    }
}

}  // namespace bh
