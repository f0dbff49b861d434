#include "core/operations/Import.h"

#include "core/base/Format.h"
#include "core/base/PathParts.h"
#include "core/document/BrackenholdDoc.h"
#include "core/operations/DocumentCommands.h"
#include "core/operations/ManagerFile.h"
#include "core/operations/SharedArchives.h"
#include "core/ports/MessageBoxFlags.h"

namespace bh {

namespace {

// The file's name without its extension: the text before the last ".".
std::string NameWithoutExtension(const std::string& path) {
    const std::string name = FileNameOf(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

ImportResult ImportManager(CBrackenholdDoc& doc, const std::string& path, std::string* failure) {
    UserInterface& ui = doc.services().ui;
    const auto fail = [&](ImportResult result, const std::string& text, const char* caption,
                          unsigned flags, const std::string& reason) {
        ui.MessageBox(text, caption, flags);
        if (failure != nullptr) {
            *failure = reason;
        }
        return result;
    };
    if (EqualsNoCase(path, doc.PathName())) {
        return fail(ImportResult::Itself, "Can't import backup to itself", kImportCaption,
                    kMbOk | kMbIconExclamation, "the manager's own file");
    }
    ManagerLoad load = LoadManagerFile(doc.services(), path);
    switch (load.status) {
        case ManagerLoad::Status::Ok:
            break;
        case ManagerLoad::Status::ReadFailed:
            return fail(ImportResult::OpenFailed,
                        Format("Can't open file\n\n%s\n\n%s", NameWithoutExtension(path).c_str(),
                               load.reason.c_str()),
                        kImportCaption, kMbOk | kMbIconHand, load.reason);
        case ManagerLoad::Status::NotManager:
            return fail(ImportResult::NotManager, kNotManagerText, kImportCaption,
                        kMbOk | kMbIconExclamation, kNotManagerText);
        case ManagerLoad::Status::Truncated:
        case ManagerLoad::Status::Corrupt:
            return fail(ImportResult::Damaged, std::string(kOpenFailedText) + "\n\n" + load.reason,
                        kImportCaption, kMbOk | kMbIconHand, load.reason);
    }
    if (load.entries.empty()) {
        return ImportResult::Empty;
    }
    for (auto& entry : load.entries) {
        doc.rows().Append(std::move(entry));
    }
    // Imported entries may use the archives of entries already here.
    MarkSharedArchives(doc.rows());
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
