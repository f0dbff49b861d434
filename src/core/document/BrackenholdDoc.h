#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/document/FileEntry.h"
#include "core/ports/ListRows.h"
#include "core/ports/Services.h"

namespace bh {

class RecentFileList;

// The title of a manager that has no file yet.
inline constexpr const char* kUntitledTitle = "Create or Open a Backup Manager";
// The folder-setting default of POSIX front ends: the current folder.
inline constexpr const char* kPosixCurrentFolder = "./";

// The backup manager document: owns the entries, knows its path, title and modified
// flag. The list view's rows are attached by the front end; the document only borrows them.
class CBrackenholdDoc {
  public:
    // Reads addDirStr and backupDirStr from the settings; `defaultFolder` is the value used
    // when a setting is absent (the front end passes its platform's current-folder text).
    CBrackenholdDoc(Services& services, ListRows& rows, RecentFileList* recentFiles = nullptr,
                    std::string defaultFolder = kPosixCurrentFolder);
    // Writes addDirStr and backupDirStr back.
    ~CBrackenholdDoc();
    CBrackenholdDoc(const CBrackenholdDoc&) = delete;
    CBrackenholdDoc& operator=(const CBrackenholdDoc&) = delete;

    bool autoBackupRun = false;
    std::vector<std::unique_ptr<CFileEntry>> entries;
    bool selectedOnly = false;
    std::string backupDirStr;
    std::string addDirStr;
    std::string lastManagerName;

    // The view's initial update. Unset, InitialUpdate rebuilds the rows from the entries;
    // the GUI sets it to its own (settings, columns, then the same rebuild).
    std::function<void()> onInitialUpdate;

    // Destroys every entry. The rows are not touched: callers that keep the document
    // alive rebuild or remove the rows themselves.
    void DeleteEntries();

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

    // Runs the view's initial update (onInitialUpdate, or RebuildRows).
    void InitialUpdate();
    // Replaces the rows by one row per entry in array order.
    void RebuildRows();

    // Appends an entry and its row; the duplicate-source index follows.
    CFileEntry& AppendEntry(std::unique_ptr<CFileEntry> entry);
    // Replaces all entries at once (the rows are not touched).
    void ReplaceEntries(std::vector<std::unique_ptr<CFileEntry>> newEntries);

    // Whether some entry's source equals `path` without regard to ASCII letter case. Linear
    // once after a change of the entries, constant time after that.
    bool HasSource(const std::string& path);
    // Code that removes entries or changes their sources directly in `entries` calls this
    // so that the duplicate-source index is rebuilt before its next use.
    void SourcesChanged() { sourceIndexValid_ = false; }

    Services& services() const { return services_; }
    ListRows& rows() const { return rows_; }
    RecentFileList* recentFiles() const { return recentFiles_; }
    const std::string& DefaultFolder() const { return defaultFolder_; }

  private:
    void RebuildSourceIndex();
    void IndexSource(const std::string& path);

    Services& services_;
    ListRows& rows_;
    RecentFileList* recentFiles_;
    std::string defaultFolder_;
    std::string pathName_;
    std::string title_;
    bool modified_ = false;

    // Folded source path -> number of entries with it (imports may repeat a source).
    std::unordered_map<std::string, int> sourceIndex_;
    std::size_t indexedEntries_ = 0;
    bool sourceIndexValid_ = false;
};

}  // namespace bh
