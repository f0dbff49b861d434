#include "core/operations/AddFiles.h"

#include <memory>

#include "core/base/Format.h"
#include "core/base/PathParts.h"
#include "core/document/BrackenholdDoc.h"
#include "core/ports/LastError.h"
#include "core/ports/MessageBoxFlags.h"

namespace bh {

namespace {

constexpr const char* kCreateCaption = "Create Backup Manager";
constexpr const char* kAddCaption = "Add Files to Backup Manager";
constexpr unsigned kAddFilesOptions = 0x884A04;

void SelectNone(ManagerList& rows) {
    for (int row = rows.NextSelected(-1); row != -1; row = rows.NextSelected(row)) {
        rows.SetSelected(row, false);
    }
}

}  // namespace

AddFileResult AddFile(CBrackenholdDoc& doc, const std::string& sourcePath) {
    return AddFileInto(doc, sourcePath, FolderOf(doc.PathName()));
}

AddFileResult AddFileInto(CBrackenholdDoc& doc, const std::string& sourcePath,
                          const std::string& archiveFolder, AddFileMessages messages) {
    const bool show = messages == AddFileMessages::Show;
    Services& services = doc.services();
    FileSystem& fs = services.fileSystem;
    if (fs.Lookup(sourcePath) != PathKind::File) {
        return AddFileResult::NotAFile;
    }
    if (doc.rows().HasSource(sourcePath)) {
        return AddFileResult::AlreadyInManager;
    }
    if (archiveFolder.empty()) {
        if (show) {
            services.ui.MessageBox("Open or create a New backup manager first!", kCreateCaption,
                                   kMbOk | kMbIconExclamation);
        }
        return AddFileResult::NoManagerFolder;
    }
    const PathParts parts = SplitPath(sourcePath);
    const std::string base = archiveFolder + parts.fname;
    for (int attempt = 0; attempt < kArchiveNameTries; ++attempt) {
        const std::string candidate =
            attempt == 0 ? base + parts.ext
                         : Format("%s[%d]%s", base.c_str(), attempt, parts.ext.c_str());
        // Substitutes only grow longer, so one that does not fit ends the search.
        if (candidate.size() + 1 > fs.PathLimitBytes()) {
            return AddFileResult::PathTooLong;
        }
        if (fs.Lookup(candidate) != PathKind::None) {
            continue;
        }
        if (const ErrorCode error = fs.CreateEmpty(candidate)) {
            SetLastError(error);  // the caller's failure text is built from it
            return AddFileResult::ArchiveNotCreated;
        }
        doc.rows().Append(
            std::make_unique<CFileEntry>(sourcePath, candidate, "", services.shell, fs));
        doc.SetModifiedFlag(true);
        return AddFileResult::Added;
    }
    if (show) {
        services.ui.MessageBox(
            Format("Can't find a substitute archive\nfile name after %d tries!", kArchiveNameTries),
            kCreateCaption, kMbOk | kMbIconExclamation);
    }
    return AddFileResult::NoSubstituteName;
}

const char* AddFileResultText(AddFileResult result) {
    switch (result) {
        case AddFileResult::Added:
            return "added";
        case AddFileResult::NotAFile:
            return "not a file";
        case AddFileResult::AlreadyInManager:
            return "already in the manager";
        case AddFileResult::NoManagerFolder:
            return "the manager has no file yet";
        case AddFileResult::NoSubstituteName:
            return "no substitute archive name is free";
        case AddFileResult::ArchiveNotCreated:
            return "the archive could not be created";
        case AddFileResult::PathTooLong:
            return "the archive path would be too long";
    }
    return "";
}

void OnAddFiles(CBrackenholdDoc& doc) {
    UserInterface& ui = doc.services().ui;
    SelectNone(doc.rows());
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.title = kAddCaption;
    request.filter = "All Files ( *.* )|*.*||";
    request.initialFolder = doc.addDirStr;
    request.options = kAddFilesOptions;
    const FileDialogResult chosen = ui.FileDialog(request);
    if (!chosen.confirmed) {
        if (chosen.errorCode != 0) {
            ui.MessageBox(Format("File open dialog error\nError code = 0X%X", chosen.errorCode),
                          kAddCaption, kMbOk | kMbIconHand);
        }
        return;
    }
    for (const std::string& path : chosen.paths) {
        AddFile(doc, path);
    }
    if (!chosen.paths.empty()) {
        doc.addDirStr = FolderOf(chosen.paths.back());
    }
}

}  // namespace bh
