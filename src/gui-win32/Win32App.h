#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/base/RecentFileList.h"
#include "core/ports/Services.h"
#include "gui-win32/Win32MainFrame.h"

namespace bh {

class AutoBackup;
class CBrackenholdDoc;
class Win32AutoBackupTimer;
class Win32ListView;
class Win32UserInterface;

// The ports the program runs on, borrowed from whoever starts it. A null manager lock means
// the platform's, owned by the program.
struct Win32AppPorts {
    FileSystem& fileSystem;
    Shell& shell;
    SettingsStore& settings;
    Clock& clock;
    SystemErrors& systemErrors;
    ManagerLock* managerLock = nullptr;
};

// The program: one main frame, one list view and one backup manager, their commands, the
// recent-file list and the "Start with MRU" option.
class Win32App {
  public:
    explicit Win32App(Win32AppPorts ports);
    ~Win32App();
    Win32App(const Win32App&) = delete;
    Win32App& operator=(const Win32App&) = delete;

    // Builds the windows, shows the main frame at its stored place, then opens the manager
    // named on the command line or, with "Start with MRU" on, the most recent one.
    bool Start(const std::vector<std::string>& commandLineFiles);
    void OpenRequest(const std::string& path);
    void ShellOpen(const std::vector<std::string>& paths);
    // Writes the "Start with MRU" option, the recent files, the view's settings and the
    // window placement.
    void Exit();
    void SaveForSessionEnd();

    Win32MainFrame& frame() const { return *frame_; }
    Win32ListView& view() const { return *view_; }
    CBrackenholdDoc& doc() const { return *doc_; }
    UserInterface& ui() const;
    AutoBackup& autoBackup() const { return *autoBackup_; }

  private:
    void WireAutoBackup();
    void WireFrameAndView();
    void WireCommands();
    void WireFileCommands();
    void WireOperationCommands();
    void WireViewCommands();
    void RefreshRecentFileMenu();
    bool OnCloseRequest();
    void StopRunningOperation();

    Win32AppPorts ports_;
    std::unique_ptr<ManagerLock> ownLock_;
    ManagerLock* managerLock_ = nullptr;
    RecentFileList recentFiles_;
    std::unique_ptr<Win32MainFrame> frame_;
    std::unique_ptr<Win32UserInterface> win32Ui_;
    std::unique_ptr<UserInterface> watchedUi_;
    std::unique_ptr<Win32ListView> view_;
    std::unique_ptr<Services> services_;
    std::unique_ptr<CBrackenholdDoc> doc_;
    std::unique_ptr<Win32AutoBackupTimer> autoBackupTimer_;
    std::unique_ptr<AutoBackup> autoBackup_;
    int openMru_ = 0;
    bool exited_ = false;
};

// Handles the messages waiting for this thread's windows, as a long operation does between
// two steps.
void PumpMessages();
// The manual beside the program: "<program folder>\manual.html".
std::string ManualPath();

}  // namespace bh
