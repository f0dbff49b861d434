#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QObject>

#include "core/base/RecentFileList.h"
#include "core/ports/Services.h"
#include "gui/BrackenholdView.h"
#include "gui/MainFrame.h"

namespace bh {

class AutoBackup;
class CBrackenholdDoc;
class CBrackenholdView;
class CMainFrame;
class QtAutoBackupTimer;
class QtUserInterface;
class Volumes;

// The ports the program runs on, borrowed from whoever starts it (main() or a test). A null
// user interface means the Qt one over the main window; a null manager lock means the
// platform's, owned by the program.
struct AppPorts {
    FileSystem& fileSystem;
    Shell& shell;
    SettingsStore& settings;
    Clock& clock;
    SystemErrors& systemErrors;
    UserInterface* ui = nullptr;
    ManagerLock* managerLock = nullptr;
    // The desktop's notifications, for a failed auto backup; null: none.
    DesktopNotifier* notifier = nullptr;
};

// The program: one main frame, one list view and one backup manager, their commands, the
// recent-file list and the "Start with MRU" option.
class BrackenholdApp : public QObject {
    Q_OBJECT
  public:
    explicit BrackenholdApp(AppPorts ports, QObject* parent = nullptr);
    ~BrackenholdApp() override;

    // Builds the windows, shows the main frame at its stored place, then opens the manager
    // named on the command line or, with "Start with MRU" on, the most recent one.
    void Start(const std::vector<std::string>& commandLineFiles);
    // The open request of a dropped file: a recent manager opens, any other file becomes an
    // entry. Held while a command runs.
    void OpenRequest(const std::string& path);
    // Files handed over by the desktop (a second start of the program): a file whose bytes
    // make it a manager opens, any other follows the rule of a dropped file. Held while a
    // command runs; the window comes to the front.
    void ShellOpen(const std::vector<std::string>& paths);
    // Writes the "Start with MRU" option, the recent files, the view's settings and the
    // window placement.
    void Exit();
    // The session ends: the manager is saved to its current path without a question.
    void SaveForSessionEnd();

    CMainFrame& frame() const { return *frame_; }
    CBrackenholdView& view() const { return *view_; }
    CBrackenholdDoc& doc() const { return *doc_; }
    RecentFileList& recentFiles() { return recentFiles_; }
    UserInterface& ui() const { return *ui_; }
    QtAutoBackupTimer& autoBackupTimer() const { return *autoBackupTimer_; }
    AutoBackup& autoBackup() const { return *autoBackup_; }
    bool openMru() const { return openMru_ != 0; }

  private:
    CBrackenholdView::CoreRules CoreRules() const;
    void WireCommands();
    void WireFileCommands();
    void WireOperationCommands();
    void WireViewCommands();
    void RefreshRecentFileMenu();
    void ShowSummaries();
    bool OnCloseRequest();
    void StopRunningOperation();

    AppPorts ports_;
    // The platform's locks when none was given; every command, save and timer tick of this
    // program uses one lock object, so that their holds nest.
    std::unique_ptr<ManagerLock> ownLock_;
    ManagerLock* managerLock_ = nullptr;
    RecentFileList recentFiles_;
    std::unique_ptr<CMainFrame> frame_;
    CBrackenholdView* view_ = nullptr;  // owned by the frame
    std::unique_ptr<QtUserInterface> qtUi_;
    // The user interface the core talks to: the Qt one or the given one, watched so that the
    // commands' states follow every change of the document's title and modified flag.
    std::unique_ptr<UserInterface> watchedUi_;
    UserInterface* ui_ = nullptr;
    std::unique_ptr<Volumes> volumes_;
    std::unique_ptr<Services> services_;
    std::unique_ptr<CBrackenholdDoc> doc_;
    QtAutoBackupTimer* autoBackupTimer_ = nullptr;  // owned by the frame
    std::unique_ptr<AutoBackup> autoBackup_;
    int openMru_ = 0;
    bool exited_ = false;
};

}  // namespace bh
