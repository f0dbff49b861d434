#pragma once

namespace bh {

class CBrackenholdDoc;
class ManagerList;

inline constexpr const char* kEditNotesCaption = "Edit Selected Notes";
inline constexpr const char* kOpenInExplorerCaption = "Open in Explorer";
inline constexpr const char* kExplorerInvalidText = "Explorer program is invalid";
inline constexpr const char* kExplorerNotFoundText = "Explorer program was not found.";

// Select None: clears the selection of every selected row.
void OnSelectNone(ManagerList& rows);
// Select All: selects every row.
void OnSelectAll(ManagerList& rows);

// Edit Selected Notes: prompts with the first selected row's notes and, on OK, gives every
// selected entry and row the new text and marks the document modified.
void OnEditSelectedNotes(CBrackenholdDoc& doc);

enum class ExplorerTarget { Source, Archive, Manager };

// Show in Explorer: reveals the first selected row's source or archive path (as its cell
// shows it), or the manager file, in the file manager; an empty path does nothing. A failure
// shows "Explorer program is invalid" or "Explorer program was not found.".
void OnShowInExplorer(CBrackenholdDoc& doc, ExplorerTarget target);

// Open Source: opens the first selected entry's source with its default application, its
// folder as working folder; a failure shows the system's text, a blank line and the name.
void OnOpenSource(CBrackenholdDoc& doc);

}  // namespace bh
