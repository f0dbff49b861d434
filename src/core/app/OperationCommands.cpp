#include "core/app/OperationCommands.h"

#include <optional>

#include "core/app/CommandEnabling.h"
#include "core/base/CommandIds.h"
#include "core/document/BrackenholdDoc.h"
#include "core/operations/AddFolderCommand.h"
#include "core/operations/ArchivePaths.h"
#include "core/operations/AutoBackup.h"
#include "core/operations/BackupRun.h"
#include "core/operations/RemoveSelected.h"
#include "core/operations/Restore.h"
#include "core/operations/VerifyCopy.h"
#include "core/operations/VerifyRun.h"
#include "core/operations/VersionCommands.h"
#include "core/view/SelectionCommands.h"

namespace bh {

namespace {

ActionState CoreState(int id, const CBrackenholdDoc& doc, const AutoBackup& autoBackup) {
    const std::optional<CommandState> state = QueryCommandState(id, doc, autoBackup);
    if (!state) {
        return ActionState{};
    }
    const bool checkable = id == kCmdAutoBackup || id == kCmdVerifyAfterCopy;
    return ActionState{state->enabled, checkable, state->checked, state->text};
}

}  // namespace

void WireOperationCommands(const CommandSetter& setCommand, CBrackenholdDoc& doc,
                           AutoBackup& autoBackup, std::function<void()> renameDrive) {
    const auto set = [&](int id, std::function<void()> run) {
        setCommand(id, std::move(run),
                   [id, &doc, &autoBackup] { return CoreState(id, doc, autoBackup); });
    };
    set(kCmdAddFolder, [&doc] { OnAddFolder(doc); });
    set(kCmdBackupAll, [&doc] { OnBackupAll(doc); });
    set(kCmdBackupSelected, [&doc] { OnBackupSelected(doc); });
    set(kCmdRefreshAll, [&doc] { OnRefreshAll(doc); });
    set(kCmdRestoreSelected, [&doc] { OnRestoreSelected(doc); });
    set(kCmdRestoreVersion, [&doc] { OnRestoreVersion(doc); });
    set(kCmdKeepVersions, [&doc] { OnKeepVersions(doc); });
    set(kCmdVerifySelected, [&doc] { OnVerifySelected(doc); });
    set(kCmdVerifyAfterCopy, [&doc] { OnToggleVerifyAfterCopy(doc); });
    set(kCmdRenameDrive, std::move(renameDrive));
    set(kCmdMovePath, [&doc] { OnMovePath(doc); });
    set(kCmdAdditionalPath, [&doc] { OnAdditionalPath(doc); });
    set(kCmdRemoveSelected, [&doc] { OnRemoveSelected(doc); });
    set(kCmdAutoBackup, [&autoBackup] { autoBackup.Toggle(); });
    set(kCmdSelectAll, [&doc] { OnSelectAll(doc.rows()); });
    set(kCmdSelectNone, [&doc] { OnSelectNone(doc.rows()); });
    set(kCmdEditNotes, [&doc] { OnEditSelectedNotes(doc); });
    set(kCmdShowSource, [&doc] { OnShowInExplorer(doc, ExplorerTarget::Source); });
    set(kCmdShowArchive, [&doc] { OnShowInExplorer(doc, ExplorerTarget::Archive); });
    set(kCmdShowManager, [&doc] { OnShowInExplorer(doc, ExplorerTarget::Manager); });
    set(kCmdOpenSource, [&doc] { OnOpenSource(doc); });
}

}  // namespace bh
