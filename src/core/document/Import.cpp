#include "core/document/Import.h"

#include "core/app/Format.h"
#include "core/app/MessageBoxFlags.h"
#include "core/app/PathParts.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/DocumentCommands.h"
#include "core/document/ManagerFile.h"

namespace bh {

namespace {

// The file's name without its extension: the text before the last ".".
std::string NameWithoutExtension(const std::string& path) {
    const std::string name = FileNameOf(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

ImportResult ImportManager(CBrackenholdDoc& doc, const std::string& path) {
    UserInterface& ui = doc.services().ui;
    if (EqualsNoCase(path, doc.PathName())) {
        ui.MessageBox("Can't import backup to itself", kImportCaption, kMbOk | kMbIconExclamation);
        return ImportResult::Itself;
    }
    ManagerLoad load = LoadManagerFile(doc.services(), path);
    switch (load.status) {
        case ManagerLoad::Status::Ok:
            break;
        case ManagerLoad::Status::ReadFailed:
            ui.MessageBox(Format("Can't open file\n\n%s\n\n%s", NameWithoutExtension(path).c_str(),
                                 load.reason.c_str()),
                          kImportCaption, kMbOk | kMbIconHand);
            return ImportResult::OpenFailed;
        case ManagerLoad::Status::NotManager:
            ui.MessageBox(kNotManagerText, kImportCaption, kMbOk | kMbIconExclamation);
            return ImportResult::NotManager;
        case ManagerLoad::Status::Truncated:
        case ManagerLoad::Status::Corrupt:
            ui.MessageBox(std::string(kOpenFailedText) + "\n\n" + load.reason, kImportCaption,
                          kMbOk | kMbIconHand);
            return ImportResult::Damaged;
    }
    if (load.entries.empty()) {
        return ImportResult::Empty;
    }
    for (auto& entry : load.entries) {
        doc.AppendEntry(std::move(entry));
    }
    doc.SetModifiedFlag(true);
    doc.lastManagerName = FileNameOf(path);
    doc.backupDirStr = FolderOf(path);
    return ImportResult::Imported;
}

void OnImportBackup(CBrackenholdDoc& doc) {
    const std::string path = ChooseManagerToRead(doc, kImportCaption);
    if (!path.empty()) {
        ImportManager(doc, path);
    }
}

}  // namespace bh
