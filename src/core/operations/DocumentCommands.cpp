#include "core/operations/DocumentCommands.h"

#include "core/base/Format.h"
#include "core/base/PathParts.h"
#include "core/document/BrackenholdDoc.h"
#include "core/operations/ManagerFile.h"
#include "core/ports/MessageBoxFlags.h"

namespace bh {

namespace {

FileDialogRequest SaveDialog(const CBrackenholdDoc& doc, const std::string& initialName) {
    FileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.title = kCreateManagerTitle;
    request.filter = kManagerFilter;
    request.initialFolder = doc.backupDirStr;
    request.initialName = initialName;
    request.options = kSaveManagerOptions;
    return request;
}

void ReportDialogError(UserInterface& ui, const char* format, const char* caption, unsigned code) {
    if (code != 0) {
        ui.MessageBox(Format(format, code), caption, kMbOk | kMbIconHand);
    }
}

constexpr const char* kOpenDialogError = "File open dialog error\nError code = 0X%X";
constexpr const char* kSaveDialogError = "File save dialog error\nError code = 0X%X";

bool SaveTo(CBrackenholdDoc& doc, const std::string& path) {
    if (!SaveDocumentFile(doc, path)) {
        return false;
    }
    doc.SetPathName(path);
    return true;
}

// Saves the current manager before it is replaced: to its path, or through Save As.
bool SaveCurrent(CBrackenholdDoc& doc) {
    if (doc.PathName().empty()) {
        return OnFileSaveAs(doc);
    }
    return SaveTo(doc, doc.PathName());
}

}  // namespace

bool SaveModified(CBrackenholdDoc& doc) {
    if (!doc.IsModified()) {
        return true;
    }
    const std::string text = "Save changes to " + doc.PlainTitle() + "?";
    switch (doc.services().ui.MessageBox(text, kAppName, kMbYesNoCancel | kMbIconExclamation)) {
        case kIdYes:
            return SaveCurrent(doc);
        case kIdNo:
            return true;
        default:
            return false;
    }
}

void OnFileNew(CBrackenholdDoc& doc) {
    if (!SaveModified(doc)) {
        return;
    }
    doc.OnNewDocument();
    doc.InitialUpdate();
    OnFileSaveAs(doc);
}

void OnFileClose(CBrackenholdDoc& doc) {
    if (!SaveModified(doc)) {
        return;
    }
    doc.OnNewDocument();
    doc.InitialUpdate();
}

std::string ModifiedQuestionText(const CBrackenholdDoc& doc) {
    const std::string name = doc.PathName().empty() ? "This Document " : doc.PathName() + "\n";
    return Format("%shas been modified!\nSave contents first?", name.c_str());
}

std::string ChooseManagerToRead(CBrackenholdDoc& doc, const char* title) {
    UserInterface& ui = doc.services().ui;
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.title = title;
    request.filter = kManagerFilter;
    request.initialFolder = doc.backupDirStr;
    request.initialName = doc.lastManagerName;
    request.options = kOpenManagerOptions;
    const FileDialogResult chosen = ui.FileDialog(request);
    if (!chosen.confirmed || chosen.paths.empty()) {
        ReportDialogError(ui, kOpenDialogError, title, chosen.errorCode);
        return {};
    }
    return chosen.paths.front();
}

void OnFileOpen(CBrackenholdDoc& doc) {
    UserInterface& ui = doc.services().ui;
    const std::string path = ChooseManagerToRead(doc, kOpenManagerTitle);
    if (path.empty()) {
        return;
    }
    doc.lastManagerName = FileNameOf(path);
    doc.backupDirStr = FolderOf(path);
    if (doc.IsModified()) {
        const int answer = ui.MessageBox(ModifiedQuestionText(doc), kOpenManagerTitle,
                                         kMbYesNoCancel | kMbIconQuestion);
        if (answer == kIdCancel || (answer == kIdYes && !SaveCurrent(doc))) {
            return;
        }
    }
    OpenDocumentFile(doc, path);
}

bool OnFileSave(CBrackenholdDoc& doc) {
    if (!FileNameOf(doc.PathName()).empty()) {
        return SaveTo(doc, doc.PathName());
    }
    UserInterface& ui = doc.services().ui;
    const FileDialogResult chosen = ui.FileDialog(SaveDialog(doc, "untitled"));
    if (!chosen.confirmed || chosen.paths.empty()) {
        ReportDialogError(ui, kSaveDialogError, kCreateManagerTitle, chosen.errorCode);
        return false;
    }
    const std::string path = chosen.paths.front();
    doc.backupDirStr = FolderOf(path);
    return SaveTo(doc, path);
}

std::string ReplaceQuestionText(const std::string& path) {
    return Format(kReplaceQuestionFormat, FileNameOf(path).c_str());
}

bool OnFileSaveAs(CBrackenholdDoc& doc) {
    UserInterface& ui = doc.services().ui;
    std::string path;
    for (;;) {
        const FileDialogResult chosen = ui.FileDialog(SaveDialog(doc, FileNameOf(doc.PathName())));
        if (!chosen.confirmed || chosen.paths.empty()) {
            ReportDialogError(ui, kSaveDialogError, kCreateManagerTitle, chosen.errorCode);
            return false;
        }
        path = chosen.paths.front();
        if (FileNameOf(path).find('.') != std::string::npos) {
            break;
        }
        // The dialog asked about the name as typed; the file written is another one, so its
        // owner is asked here, as the dialog would have, and No goes back to the dialog.
        path += ".bak";
        if (doc.services().fileSystem.Lookup(path) == PathKind::None ||
            ui.MessageBox(ReplaceQuestionText(path), kCreateManagerTitle,
                          kMbYesNo | kMbIconExclamation | kMbDefButton2) == kIdYes) {
            break;
        }
    }
    doc.backupDirStr = FolderOf(path);
    if (!SaveTo(doc, path)) {
        return false;
    }
    doc.InitialUpdate();
    return true;
}

bool CanSave(const CBrackenholdDoc& doc) {
    return doc.rows().Count() > 0 && doc.IsModified();
}

bool CanClose(const CBrackenholdDoc& doc) {
    return !doc.PathName().empty();
}

}  // namespace bh
