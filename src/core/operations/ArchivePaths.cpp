#include "core/operations/ArchivePaths.h"

#include <memory>
#include <string>
#include <vector>

#include "core/base/ErrorText.h"
#include "core/base/Format.h"
#include "core/base/PathParts.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/ManagerList.h"
#include "core/operations/FilesInUse.h"
#include "core/ports/LastError.h"
#include "core/ports/MessageBoxFlags.h"
#include "core/ports/Volumes.h"
#include "core/view/Columns.h"
#include "core/view/RowTexts.h"

namespace bh {

namespace {

constexpr const char* kSameArchiveText =
    "New and previous Archive paths are identical!\n\nOperation will be aborted.";
constexpr const char* kSameSourceText =
    "Source and new Archive paths are identical!\n\nOperation will be aborted.";

bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Asks for the new archive path of `entry`; empty when the user cancelled.
bool AskNewPath(UserInterface& ui, const char* prompt, const CFileEntry& entry,
                std::string& newPath) {
    PromptRequest request;
    request.allowBrowse = true;
    request.editStyle = 0;
    request.caption = prompt;
    request.text = entry.archivePath;
    if (ui.Prompt(request) != kIdOk) {
        return false;
    }
    newPath = TrimBlanks(request.text);
    return true;
}

// Refuses a new path that is the entry's archive or its source, spelled the same way, or
// that reaches the source through another spelling (copying over it would lose the source).
bool IsDistinctPath(Services& services, const CFileEntry& entry, const std::string& newPath,
                    const char* caption) {
    UserInterface& ui = services.ui;
    if (EqualsNoCase(newPath, entry.archivePath)) {
        ui.MessageBox(kSameArchiveText, caption, kMbOk | kMbIconExclamation);
        return false;
    }
    if (EqualsNoCase(newPath, entry.sourcePath) ||
        services.fileSystem.IsSameFile(newPath, entry.sourcePath)) {
        ui.MessageBox(kSameSourceText, caption, kMbOk | kMbIconExclamation);
        return false;
    }
    return true;
}

// Copies without replacing; on any failure asks whether to copy over the target, and a
// failure of that second copy shows the system's text. True when the copy was made.
bool CopyAsking(Services& services, const std::string& from, const std::string& to,
                const char* caption) {
    if (services.fileSystem.Copy(from, to, true) == kNoError) {
        return true;
    }
    const PathParts parts = SplitPath(to);
    const std::string question =
        Format("%s%s\n\nalready exists in directory\n\n%s%s\n\nCopy over it?", parts.fname.c_str(),
               parts.ext.c_str(), parts.drive.c_str(), parts.dir.c_str());
    if (services.ui.MessageBox(question, caption, kMbYesNo | kMbIconQuestion) != kIdYes) {
        return false;
    }
    const ErrorCode error = services.fileSystem.Copy(from, to, false);
    if (!error) {
        return true;
    }
    SetLastError(error);
    services.ui.MessageBox(GetLastErrorText(services.systemErrors), caption,
                           kMbOk | kMbIconInformation);
    return false;
}

// Whether another entry uses `entry`'s archive file, as its archive or as its source.
bool ArchiveUsedByOthers(CBrackenholdDoc& doc, const CFileEntry& entry) {
    const ManagerList& rows = doc.rows();
    std::vector<bool> archiveGoes(static_cast<std::size_t>(rows.Count()), false);
    for (int row = 0; row < rows.Count(); ++row) {
        archiveGoes[static_cast<std::size_t>(row)] = &rows.Entry(row) == &entry;
    }
    return FilesInUse(doc.services().fileSystem, rows, archiveGoes).Contains(entry.archivePath);
}

bool IsAbsoluteFolder(const std::string& text) {
    return !text.empty() && text[0] == '/';
}

// Rename Drive where paths have no drive letters: the mount point of the first selected
// archive is replaced by the folder the user types.
bool RenameArchiveFolder(CBrackenholdDoc& doc, Volumes& volumes, PromptRequest& request) {
    ManagerList& rows = doc.rows();
    const int first = rows.NextSelected(-1);
    const std::string archive = rows.Entry(first).archivePath;
    std::string from = volumes.MountPointOf(archive);
    // The prompt must offer a part that the archive path really begins with.
    if (from.empty() || !ReplaceLeadingFolder(archive, from, "")) {
        from = FolderOf(archive);
        if (from.size() > 1 && IsPathSeparator(from.back())) {
            from.pop_back();
        }
    }
    request.text = from;
    UserInterface& ui = doc.services().ui;
    std::string to;
    for (;;) {
        if (ui.Prompt(request) != kIdOk) {
            return false;
        }
        to = TrimBlanks(request.text);
        request.text = to;
        if (to.empty()) {
            continue;
        }
        if (IsAbsoluteFolder(to)) {
            break;
        }
        ui.Beep();
        request.text = kRenameFolderRetryText;
    }
    std::vector<int> changed;
    for (int row = first; row >= 0; row = rows.NextSelected(row)) {
        if (rows.Entry(row).ChangeArchiveFolder(from, to)) {
            changed.push_back(row);
        }
    }
    // Rows whose archive lies elsewhere stay selected, so the user sees what was not changed.
    for (int row : changed) {
        rows.SetSelected(row, false);
    }
    if (changed.empty()) {
        return false;
    }
    doc.SetModifiedFlag(true);
    return true;
}

// The only selected row, or -1 unless exactly one row is selected.
int SingleSelectedRow(const ManagerList& rows) {
    return rows.SelectedCount() == 1 ? rows.NextSelected(-1) : -1;
}

}  // namespace

bool OnRenameDrive(CBrackenholdDoc& doc, Volumes* volumes) {
    ManagerList& rows = doc.rows();
    const int first = rows.NextSelected(-1);
    if (first < 0) {
        return false;
    }
    UserInterface& ui = doc.services().ui;
    PromptRequest request;
    request.allowBrowse = false;
    request.editStyle = 0;
    request.caption = Format("%s (%d Files Selected)", kRenameDriveCaption, rows.SelectedCount());
    if (volumes != nullptr && !volumes->UsesDriveLetters()) {
        return RenameArchiveFolder(doc, *volumes, request);
    }
    request.text = SplitPath(CellText(rows, first, kColumnArchivePath, doc.services().clock,
                                      doc.services().systemErrors))
                       .drive;
    std::string drive;
    for (;;) {
        if (ui.Prompt(request) != kIdOk) {
            return false;
        }
        drive = ToUpperAscii(TrimBlanks(request.text));
        request.text = drive;
        if (drive.empty()) {
            continue;
        }
        if (drive.back() != ':') {
            drive += ':';
        }
        if (drive.size() == 2 && IsDriveLetter(drive[0])) {
            break;
        }
        ui.Beep();
        request.text = kRenameDriveRetryText;
    }
    std::vector<int> selected;
    for (int row = first; row >= 0; row = rows.NextSelected(row)) {
        selected.push_back(row);
    }
    for (int row : selected) {
        rows.Entry(row).ChangeDrive(drive);
        rows.SetSelected(row, false);
    }
    doc.SetModifiedFlag(true);
    return true;
}

void OnMovePath(CBrackenholdDoc& doc) {
    ManagerList& rows = doc.rows();
    const int row = SingleSelectedRow(rows);
    if (row < 0) {
        return;
    }
    Services& services = doc.services();
    CFileEntry& entry = rows.Entry(row);
    std::string newPath;
    if (!AskNewPath(services.ui, kMovePathPrompt, entry, newPath) ||
        !IsDistinctPath(services, entry, newPath, kMovePathCaption) ||
        !CopyAsking(services, entry.archivePath, newPath, kMovePathCaption)) {
        return;
    }
    // Another spelling of the same file now holds the only copy, and a file that another
    // entry uses (as its archive or its source) is that entry's: either must stay.
    if (!services.fileSystem.IsSameFile(entry.archivePath, newPath) &&
        !ArchiveUsedByOthers(doc, entry)) {
        // The new archive is in place; an old one that cannot go stays, as designed (no report).
        IgnoreError(services.fileSystem.Remove(entry.archivePath));
    }
    entry.archivePath = newPath;
    entry.archiveIdentity = {};  // the old archive's; the new one is known at the next look
    rows.UpdateRowTexts(row);
    doc.SetModifiedFlag(true);
}

void OnAdditionalPath(CBrackenholdDoc& doc) {
    ManagerList& rows = doc.rows();
    const int row = SingleSelectedRow(rows);
    if (row < 0) {
        return;
    }
    Services& services = doc.services();
    const CFileEntry& origin = rows.Entry(row);
    std::string newPath;
    if (!AskNewPath(services.ui, kAdditionalPathPrompt, origin, newPath) ||
        !IsDistinctPath(services, origin, newPath, kAdditionalPathCaption) ||
        !CopyAsking(services, origin.sourcePath, newPath, kAdditionalPathCaption)) {
        return;
    }
    auto added = std::make_unique<CFileEntry>(origin.sourcePath, newPath, origin.notes,
                                              services.shell, services.fileSystem);
    rows.Insert(row + 1, std::move(added));
    doc.SetModifiedFlag(true);
}

}  // namespace bh
