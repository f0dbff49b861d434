#pragma once

namespace bh {

class CBrackenholdDoc;

// Remove Selected: asks "Renove %d File%s from Backup" whether the archives go too (Yes,
// No, Cancel; Cancel by default), then removes the selected entries.
void OnRemoveSelected(CBrackenholdDoc& doc);

// Removes the entries of the selected rows and their rows in one pass, deleting their archive
// files first when deleteArchives is set (failures ignored); the remaining entries and rows
// keep their order. A selected row whose entry the document does not own stays. Marks the
// document modified when any row was selected. Returns the number of entries removed.
int RemoveSelectedEntries(CBrackenholdDoc& doc, bool deleteArchives);

}  // namespace bh
