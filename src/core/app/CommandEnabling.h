#pragma once

#include <optional>
#include <string>

namespace bh {

class AutoBackup;
class CBrackenholdDoc;

// Enabling rules of the commands; each reads the document and its rows only.
bool CanRefreshAll(const CBrackenholdDoc& doc);      // at least one row
bool CanBackupAll(const CBrackenholdDoc& doc);       // at least one row
bool CanBackupSelected(const CBrackenholdDoc& doc);  // at least one row selected
bool CanRestoreSelected(const CBrackenholdDoc& doc);
bool CanRemoveSelected(const CBrackenholdDoc& doc);
bool CanRenameDrive(const CBrackenholdDoc& doc);
bool CanSelectNone(const CBrackenholdDoc& doc);
bool CanEditNotes(const CBrackenholdDoc& doc);
bool CanMovePath(const CBrackenholdDoc& doc);  // exactly one row selected
bool CanAdditionalPath(const CBrackenholdDoc& doc);
bool CanOpenSource(const CBrackenholdDoc& doc);
// Exactly one row selected and its source (Source) or archive (Archive) was found.
bool CanShowSource(const CBrackenholdDoc& doc);
bool CanShowArchive(const CBrackenholdDoc& doc);
// The Archive condition, or the manager has a path name.
bool CanShowManager(const CBrackenholdDoc& doc);
bool CanSelectAll(const CBrackenholdDoc& doc);       // at least one row
bool CanAutoBackup(const CBrackenholdDoc& doc);      // at least one row
bool CanAddFiles(const CBrackenholdDoc& doc);        // the manager has a path name
bool CanVerifySelected(const CBrackenholdDoc& doc);  // at least one row selected
// A manager is open: it has a path name or rows (an untitled one is saved with its settings).
bool CanVerifyAfterCopy(const CBrackenholdDoc& doc);

// What a menu item or toolbar button shows for a command.
struct CommandState {
    bool enabled = false;
    bool checked = false;
    // When not empty, the menu item's text becomes this (Auto Backup).
    std::string text;
};

// The state of a command of the File, Backup, Edit and context menus, for the GUI's update
// handlers. std::nullopt for commands whose state lives elsewhere (the view's display options,
// the toolbar and status bar switches, the recent files).
std::optional<CommandState> QueryCommandState(int commandId, const CBrackenholdDoc& doc,
                                              const AutoBackup& autoBackup);

}  // namespace bh
