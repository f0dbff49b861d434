#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/app/ListRows.h"
#include "core/app/Services.h"
#include "core/document/FileEntry.h"

namespace bh {

class RecentFileList;

// The backup manager document: owns the entries, knows its path, title and modified
// flag. The list view's rows are attached by the front end; the document only borrows them.
class CBrackenholdDoc {
public:
    // Reads addDirStr and backupDirStr from the settings.
    CBrackenholdDoc(Services& services, ListRows& rows, RecentFileList* recentFiles = nullptr);
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

    void DeleteEntries();

    const std::string& PathName() const { return pathName_; }
    const std::string& Title() const { return title_; }
    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified);
    // Stores the path, titles the document with the file's name, adds it to the recent files.
    void SetPathName(const std::string& path);
    // Empty and untitled: "Create or Open a Backup Manager".
    void OnNewDocument();

    Services& services() const { return services_; }
    ListRows& rows() const { return rows_; }
    RecentFileList* recentFiles() const { return recentFiles_; }

private:
    Services& services_;
    ListRows& rows_;
    RecentFileList* recentFiles_;
    std::string pathName_;
    std::string title_;
    bool modified_ = false;
};

}  // namespace bh
