#pragma once

#include <string>

namespace bh {

class CBrackenholdDoc;

inline constexpr const char* kManagerFilter =
    "Backup Files ( *.bak )|*.bak|All Files ( *.* )|*.*||";
inline constexpr const char* kOpenManagerTitle = "Open Backup Manager";
inline constexpr const char* kCreateManagerTitle = "Create Backup Manager";
inline constexpr unsigned kOpenManagerOptions = 0x880A04;
inline constexpr unsigned kSaveManagerOptions = 0x880802;

// The manager commands of the File menu. Each shows its own dialogs and messages.

// Shows the dialog that picks a manager file to read (Open, Import) under `title`, starting
// in backupDirStr with lastManagerName. Returns the chosen path, or empty after a cancel or a
// dialog failure, which is reported as "File open dialog error" under `title`.
std::string ChooseManagerToRead(CBrackenholdDoc& doc, const char* title);

// Asks "Save changes to %1?" when the manager is modified. Yes saves (an untitled manager
// through Save As); false when the user cancelled or the save did not happen.
bool SaveModified(CBrackenholdDoc& doc);

// New: the save question, an empty untitled manager, then Save As to name it at once
// (skipped when the question was cancelled).
void OnFileNew(CBrackenholdDoc& doc);
// Close: the save question, then an empty untitled manager.
void OnFileClose(CBrackenholdDoc& doc);
// Open: the Open dialog, the "has been modified!" question, then the file.
void OnFileOpen(CBrackenholdDoc& doc);
// Save: to the current path, or through the untitled Save dialog. True when saved.
bool OnFileSave(CBrackenholdDoc& doc);
// Save As: the dialog (a name without "." gets ".bak"), the save, the view's initial update.
// When ".bak" was added and a file of that name exists, the replace question is asked first
// (Yes, No; No is the default) and No shows the dialog again. True when saved.
bool OnFileSaveAs(CBrackenholdDoc& doc);

// The question before Save As replaces a file the dialog did not ask about: the platform's
// usual words, with the file's name.
inline constexpr const char* kReplaceQuestionFormat =
    "%s already exists.\nDo you want to replace it?";
std::string ReplaceQuestionText(const std::string& path);

// The "has been modified!" question of Open: "%shas been modified!\nSave contents first?"
// with the path and a line break, or "This Document " for an untitled manager.
std::string ModifiedQuestionText(const CBrackenholdDoc& doc);

// Enabling rules.
inline bool CanNew(const CBrackenholdDoc&) {
    return true;
}
inline bool CanOpen(const CBrackenholdDoc&) {
    return true;
}
bool CanSave(const CBrackenholdDoc& doc);
inline bool CanSaveAs(const CBrackenholdDoc&) {
    return true;
}
bool CanClose(const CBrackenholdDoc& doc);

}  // namespace bh
