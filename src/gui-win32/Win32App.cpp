#include "gui-win32/Win32App.h"

#include "core/app/CommandEnabling.h"
#include "core/app/HelpCommands.h"
#include "core/app/ManagerLockedCommands.h"
#include "core/app/OperationCommands.h"
#include "core/app/TitleWatchingUi.h"
#include "core/base/AppName.h"
#include "core/base/CommandIds.h"
#include "core/base/ProgressScope.h"
#include "core/base/Settings.h"
#include "core/document/BrackenholdDoc.h"
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
#include "core/ports/MessageBoxFlags.h"
#include "core/view/SelectionCommands.h"
#include "gui-win32/AboutDialog.h"
#include "gui-win32/WideText.h"
#include "gui-win32/Win32AutoBackupTimer.h"
#include "gui-win32/Win32ListView.h"
#include "gui-win32/Win32StatusProgress.h"
#include "gui-win32/Win32UserInterface.h"
#include "platform/NativePlatform.h"

namespace bh {

void PumpMessages() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The quit belongs to the outer loop, which ends once the work has returned.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::string ManualPath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L'\\') + 1);
    return Utf8(folder + L"manual.html");
}

Win32App::Win32App(Win32AppPorts ports)
    : ports_(ports),
      ownLock_(ports.managerLock ? nullptr : std::make_unique<NativeManagerLock>()),
      managerLock_(ports.managerLock ? ports.managerLock : ownLock_.get()),
      recentFiles_(RecentFileList::kDefaultSize) {}

Win32App::~Win32App() {
    Exit();
    // The document borrows the ports and the view observes its rows: the view lets go first.
    if (view_)
        view_->Detach();
    doc_.reset();
    autoBackup_.reset();
    autoBackupTimer_.reset();
    frame_.reset();
    view_.reset();
}

UserInterface& Win32App::ui() const {
    return *watchedUi_;
}

bool Win32App::Start(const std::vector<std::string>& commandLineFiles) {
    recentFiles_.Load(ports_.settings);
    openMru_ = ReadSetting(ports_.settings, kSettingOpenMostRecent);
    const int fontPoints = ReadSetting(ports_.settings, kSettingFontSize);
    frame_ = std::make_unique<Win32MainFrame>(ports_.settings, fontPoints);
    // The user interface exists before the windows, so that the view can borrow it; it
    // owns its message boxes once the frame's window exists.
    win32Ui_ = std::make_unique<Win32UserInterface>(nullptr, frame_->statusBar(), PumpMessages);
    watchedUi_ = std::make_unique<TitleWatchingUi>(*win32Ui_, [this] {
        if (frame_)
            frame_->DocumentStateChanged();
    });
    view_ = std::make_unique<Win32ListView>(ports_.settings, *watchedUi_, ports_.clock,
                                            ports_.systemErrors, fontPoints);
    if (!frame_->Create(*view_))
        return false;
    win32Ui_->SetOwner(frame_->handle());
    win32Ui_->onCaption = [this](const std::string& title) { frame_->RefreshCaption(title); };
    services_ = std::make_unique<Services>(Services{ports_.fileSystem, ports_.shell, *watchedUi_,
                                                    ports_.settings, ports_.clock,
                                                    ports_.systemErrors, managerLock_, nullptr});
    doc_ = std::make_unique<CBrackenholdDoc>(*services_, &recentFiles_);
    view_->AttachDocument(*doc_);
    WireAutoBackup();
    WireFrameAndView();

    doc_->OnNewDocument();
    doc_->InitialUpdate();
    autoBackup_->autoBackupHours = view_->autoBackupHours();
    frame_->RefreshCaption(doc_->Title());
    frame_->ActivateFrame();

    std::string first;
    if (!commandLineFiles.empty())
        first = commandLineFiles.front();
    else if (openMru_ != 0 && !recentFiles_.Paths().empty())
        first = recentFiles_.Paths().front();
    if (!first.empty()) {
        frame_->Gate().RunOrHold([this, first] {
            OpenManagerPath(*doc_, first);
            RefreshRecentFileMenu();
        });
    }
    RefreshRecentFileMenu();
    frame_->UpdateCommands();
    return true;
}

bool Win32App::OnCloseRequest() {
    if (!frame_->Gate().Busy())
        return SaveModified(*doc_);
    // The close waits for the running work. A run that can stop between two files is asked
    // first whether it should; the window closes (with the usual save question) once it ended.
    const Win32StatusProgress* progress = Win32StatusProgress::Current();
    if (progress && progress->CancelAllowed() && !progress->CancelRequested()) {
        if (watchedUi_->MessageBox(kStopRunQuestion, kAppName, kMbYesNo | kMbIconQuestion) !=
            kIdYes)
            return false;
        StopRunningOperation();
    }
    frame_->Gate().RunOrHold([this] { PostMessageW(frame_->handle(), WM_CLOSE, 0, 0); });
    return false;
}

void Win32App::StopRunningOperation() {
    if (auto* progress = Win32StatusProgress::Current())
        progress->RequestCancel();
}

void Win32App::OpenRequest(const std::string& path) {
    frame_->Gate().RunOrHold([this, path] {
        bh::OpenRequest(*doc_, path);
        RefreshRecentFileMenu();
    });
}

void Win32App::ShellOpen(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        frame_->Gate().RunOrHold([this, path] {
            ShellOpenRequest(*doc_, path);
            RefreshRecentFileMenu();
        });
    }
    frame_->ActivateFrame();
}

void Win32App::Exit() {
    if (exited_ || !frame_ || !view_)
        return;
    exited_ = true;
    WriteSetting(ports_.settings, kSettingOpenMostRecent, openMru_);
    recentFiles_.Save(ports_.settings);
    view_->SaveSettings();
    frame_->SavePlacement();
}

void Win32App::SaveForSessionEnd() {
    if (doc_ && !doc_->PathName().empty())
        SaveDocumentFile(*doc_, doc_->PathName());
}

void Win32App::RefreshRecentFileMenu() {
    std::vector<std::string> texts;
    for (const std::string& path : recentFiles_.Paths())
        texts.push_back(RecentFileList::DisplayName(path));
    frame_->SetRecentFileTexts(texts);
}

// The auto backup's timer, its action held while a command runs, and its window flash.
void Win32App::WireAutoBackup() {
    autoBackupTimer_ = std::make_unique<Win32AutoBackupTimer>(frame_->handle());
    autoBackup_ = std::make_unique<AutoBackup>(*watchedUi_, *autoBackupTimer_);
    autoBackup_->flashWindow = [this] {
        FLASHWINFO flash{sizeof(FLASHWINFO), frame_->handle(), FLASHW_ALL | FLASHW_TIMERNOFG, 0, 0};
        FlashWindowEx(&flash);
    };
    autoBackup_->managerLock = managerLock_;
    // A tick that falls due while a command runs is served once, after it.
    autoBackupTimer_->SetAction(
        [this] { frame_->Gate().RunOrHold([this] { autoBackup_->OnTimer(*doc_); }); });
    frame_->onAutoBackupTimer = [this] { autoBackupTimer_->Fire(); };
}

// The frame's and the view's callbacks into the document and each other.
void Win32App::WireFrameAndView() {
    frame_->onEscape = [this] { StopRunningOperation(); };
    view_->onStopAutoBackup = [this] { autoBackup_->SwitchOff(); };
    view_->currentAutoBackupHours = [this] { return autoBackup_->autoBackupHours; };
    view_->onSummaries = [this](const std::array<std::string, 4>& texts) {
        frame_->SetSummaries(texts.data());
    };
    view_->onToolbarSize = [this](int index) { frame_->ChangeToolbarSize(index); };
    view_->onDocumentStateChanged = [this] { frame_->DocumentStateChanged(); };
    view_->runCommand = [this](int id) { frame_->RunCommand(id); };
    view_->showContextMenu = [this](POINT point) { frame_->ShowContextMenu(point); };

    WireCommands();
    frame_->runHandler = [this](int id, const std::function<void()>& handler) {
        RunWithManagerLock(id, *doc_, handler);
    };
    frame_->onFilesDropped = [this](const std::vector<std::string>& paths) {
        for (const std::string& path : paths)
            OpenRequest(path);
    };
    frame_->onShellOpen = [this](const std::vector<std::string>& paths) { ShellOpen(paths); };
    frame_->onCloseRequest = [this] { return OnCloseRequest(); };
    frame_->onDestroying = [this] { Exit(); };
    frame_->onSessionEnd = [this] {
        SaveForSessionEnd();
        Exit();
    };
}

void Win32App::WireCommands() {
    WireFileCommands();
    WireOperationCommands();
    WireViewCommands();
    frame_->SetCommand(kCmdDocumentation, [this] {
        RunDocumentationCommand(ports_.shell, *watchedUi_, ports_.systemErrors, ManualPath());
    });
    frame_->SetCommand(kCmdAbout,
                       [this] { RunAboutDialog(frame_->handle(), ports_.shell, *watchedUi_); });
}

void Win32App::WireFileCommands() {
    Win32MainFrame& frame = *frame_;
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
    frame.SetCommand(kCmdAppExit, [this] { PostMessageW(frame_->handle(), WM_CLOSE, 0, 0); });
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

void Win32App::WireOperationCommands() {
    const auto setCommand = [this](int id, std::function<void()> run,
                                   std::function<ActionState()> update) {
        frame_->SetCommand(id, std::move(run), std::move(update));
    };
    bh::WireOperationCommands(setCommand, *doc_, *autoBackup_, [this] {
        // The status of every entry is evaluated again once the command has returned.
        if (OnRenameDrive(*doc_, nullptr))
            frame_->Gate().RunOrHold([this] { OnRefreshAll(*doc_); });
    });
}

void Win32App::WireViewCommands() {
    Win32MainFrame& frame = *frame_;
    Win32ListView& view = *view_;
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
            [&view, p = points[size]] { return Checked(view.fontPointSize() == p); });
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
