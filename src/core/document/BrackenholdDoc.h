#pragma once

#include <functional>
#include <string>

#include "core/document/EvaluationStamp.h"
#include "core/document/FileEntry.h"
#include "core/document/ManagerList.h"
#include "core/document/ManagerOptions.h"
#include "core/ports/Services.h"

namespace bh {

class RecentFileList;

// The title of a manager that has no file yet.
inline constexpr const char* kUntitledTitle = "Create or Open a Backup Manager";
// The folder-setting default of POSIX front ends: the current folder.
inline constexpr const char* kPosixCurrentFolder = "./";

// The backup manager document: owns the list of entries in display order, knows its path,
// title and modified flag. Front ends observe the list (ManagerListObserver) to show it.
class CBrackenholdDoc {
  public:
    // Reads addDirStr and backupDirStr from the settings; `defaultFolder` is the value used
    // when a setting is absent (the front end passes its platform's current-folder text).
    CBrackenholdDoc(Services& services, RecentFileList* recentFiles = nullptr,
                    std::string defaultFolder = kPosixCurrentFolder);
    // Writes addDirStr and backupDirStr back.
    ~CBrackenholdDoc();
    CBrackenholdDoc(const CBrackenholdDoc&) = delete;
    CBrackenholdDoc& operator=(const CBrackenholdDoc&) = delete;

    std::string backupDirStr;
    std::string addDirStr;
    std::string lastManagerName;

    // Told after every initial update (a manager opened, created or saved under a new name),
    // once the rows are remade, so that a front end can reset what it shows beside them.
    std::function<void()> onInitialUpdate;

    const std::string& PathName() const { return pathName_; }
    const std::string& Title() const { return title_; }
    // The title without the " *" marker.
    std::string PlainTitle() const;
    bool IsModified() const { return modified_; }
    // Adds or removes the " *" marker and refreshes the frame's caption.
    void SetModifiedFlag(bool modified = true);
    // Stores the path, titles the document with the file's name (keeping the marker while
    // modified), adds it to the recent files.
    void SetPathName(const std::string& path);
    // Empty and untitled: "Create or Open a Backup Manager".
    void OnNewDocument();

    // The view's initial update: every row's texts remade, selection and Results texts
    // dropped (ManagerList::RemakeAll), then onInitialUpdate.
    void InitialUpdate();

    Services& services() const { return services_; }
    // The entries in display order.
    ManagerList& rows() { return rows_; }
    const ManagerList& rows() const { return rows_; }
    // When every row was last evaluated (by the open or a refresh of every row).
    EvaluationStamp& evaluation() { return evaluation_; }
    RecentFileList* recentFiles() const { return recentFiles_; }
    const std::string& DefaultFolder() const { return defaultFolder_; }

    // The manager's own settings (kept versions, verify after copy), read with the manager.
    const ManagerOptions& Options() const { return options_; }
    // Changes them and marks the manager modified; they are written at its next save.
    void SetOptions(const ManagerOptions& options);
    // Takes the settings read beside a manager just opened: nothing to write yet.
    void SetOpenedOptions(const ManagerOptions& options);
    // Whether the settings changed since they were read or last written.
    bool OptionsChanged() const { return optionsChanged_; }
    void SetOptionsWritten() { optionsChanged_ = false; }

  private:
    Services& services_;
    RecentFileList* recentFiles_;
    std::string defaultFolder_;
    std::string pathName_;
    std::string title_;
    bool modified_ = false;
    ManagerOptions options_;
    bool optionsChanged_ = false;
    ManagerList rows_;
    EvaluationStamp evaluation_{rows_, services_.clock};
};

}  // namespace bh
