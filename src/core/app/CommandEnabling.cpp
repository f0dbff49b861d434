#include "core/app/CommandEnabling.h"

#include "core/base/CommandIds.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/ManagerList.h"
#include "core/operations/AutoBackup.h"
#include "core/operations/DocumentCommands.h"

namespace bh {

namespace {

bool HasRows(const CBrackenholdDoc& doc) {
    return doc.rows().Count() > 0;
}

bool HasSelection(const CBrackenholdDoc& doc) {
    return doc.rows().SelectedCount() >= 1;
}

bool HasSingleSelection(const CBrackenholdDoc& doc) {
    return doc.rows().SelectedCount() == 1;
}

bool SingleSelectionResultIsNot(const CBrackenholdDoc& doc, std::int32_t result) {
    const ManagerList& rows = doc.rows();
    return HasSingleSelection(doc) && rows.Entry(rows.NextSelected(-1)).result != result;
}

CommandState Enabled(bool enabled) {
    return CommandState{enabled, false, {}};
}

}  // namespace

bool CanRefreshAll(const CBrackenholdDoc& doc) {
    return HasRows(doc);
}
bool CanBackupAll(const CBrackenholdDoc& doc) {
    return HasRows(doc);
}
bool CanBackupSelected(const CBrackenholdDoc& doc) {
    return HasSelection(doc);
}
bool CanRestoreSelected(const CBrackenholdDoc& doc) {
    return HasSelection(doc);
}
bool CanRemoveSelected(const CBrackenholdDoc& doc) {
    return HasSelection(doc);
}
bool CanRenameDrive(const CBrackenholdDoc& doc) {
    return HasSelection(doc);
}
bool CanSelectNone(const CBrackenholdDoc& doc) {
    return HasSelection(doc);
}
bool CanEditNotes(const CBrackenholdDoc& doc) {
    return HasSelection(doc);
}
bool CanMovePath(const CBrackenholdDoc& doc) {
    return HasSingleSelection(doc);
}
bool CanAdditionalPath(const CBrackenholdDoc& doc) {
    return HasSingleSelection(doc);
}
bool CanOpenSource(const CBrackenholdDoc& doc) {
    return HasSingleSelection(doc);
}
bool CanShowSource(const CBrackenholdDoc& doc) {
    return SingleSelectionResultIsNot(doc, kResultSourceFailed);
}
bool CanShowArchive(const CBrackenholdDoc& doc) {
    return SingleSelectionResultIsNot(doc, kResultArchiveFailed);
}
bool CanShowManager(const CBrackenholdDoc& doc) {
    return CanShowArchive(doc) || !doc.PathName().empty();
}
bool CanSelectAll(const CBrackenholdDoc& doc) {
    return HasRows(doc);
}
bool CanAutoBackup(const CBrackenholdDoc& doc) {
    return HasRows(doc);
}
bool CanAddFiles(const CBrackenholdDoc& doc) {
    return !doc.PathName().empty();
}
bool CanVerifySelected(const CBrackenholdDoc& doc) {
    return HasSelection(doc);
}
bool CanVerifyAfterCopy(const CBrackenholdDoc& doc) {
    return !doc.PathName().empty() || HasRows(doc);
}

std::optional<CommandState> QueryCommandState(int commandId, const CBrackenholdDoc& doc,
                                              const AutoBackup& autoBackup) {
    switch (commandId) {
        case kCmdFileNew:
        case kCmdFileOpen:
        case kCmdFileSaveAs:
        case kCmdImport:
        case kCmdAbout:
        case kCmdDocumentation:
        case kCmdAppExit:
            return Enabled(true);
        case kCmdFileSave:
            return Enabled(CanSave(doc));
        case kCmdFileClose:
            return Enabled(CanClose(doc));
        case kCmdAddFiles:
        case kCmdAddFolder:
            return Enabled(CanAddFiles(doc));
        case kCmdRefreshAll:
            return Enabled(CanRefreshAll(doc));
        case kCmdBackupAll:
            return Enabled(CanBackupAll(doc));
        case kCmdBackupSelected:
            return Enabled(CanBackupSelected(doc));
        case kCmdRestoreSelected:
            return Enabled(CanRestoreSelected(doc));
        case kCmdRemoveSelected:
            return Enabled(CanRemoveSelected(doc));
        case kCmdRenameDrive:
            return Enabled(CanRenameDrive(doc));
        case kCmdMovePath:
            return Enabled(CanMovePath(doc));
        case kCmdRestoreVersion:
            return Enabled(HasSingleSelection(doc));
        case kCmdKeepVersions:
            return Enabled(true);
        case kCmdAdditionalPath:
            return Enabled(CanAdditionalPath(doc));
        case kCmdSelectNone:
            return Enabled(CanSelectNone(doc));
        case kCmdSelectAll:
            return Enabled(CanSelectAll(doc));
        case kCmdEditNotes:
            return Enabled(CanEditNotes(doc));
        case kCmdShowSource:
            return Enabled(CanShowSource(doc));
        case kCmdShowArchive:
            return Enabled(CanShowArchive(doc));
        case kCmdShowManager:
            return Enabled(CanShowManager(doc));
        case kCmdOpenSource:
            return Enabled(CanOpenSource(doc));
        case kCmdVerifySelected:
            return Enabled(CanVerifySelected(doc));
        case kCmdVerifyAfterCopy:
            return CommandState{CanVerifyAfterCopy(doc), doc.Options().verifyAfterCopy, {}};
        case kCmdAutoBackup:
            return CommandState{CanAutoBackup(doc), autoBackup.autoBackupOn, autoBackup.MenuText()};
        default:
            return std::nullopt;
    }
}

}  // namespace bh
