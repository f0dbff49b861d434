#pragma once

#include <string>
#include <vector>

#include "core/ports/ErrorCode.h"

namespace bh {

class CBrackenholdDoc;

// An archive file that a removal was asked to delete and did not: `error` is the deletion's
// system error, or kErrorFileInUse when a remaining entry (or any entry's source) uses it.
struct ArchiveNotDeleted {
    std::string path;
    ErrorCode error = kNoError;
};

// Remove Selected: asks "Renove %d File%s from Backup" whether the archives go too (Yes,
// No, Cancel; Cancel by default), then removes the selected entries.
void OnRemoveSelected(CBrackenholdDoc& doc);

// Removes the entries of the selected rows and their rows in one pass, deleting their archive
// files when deleteArchives is set; the remaining entries and rows keep their order. An
// archive is never deleted while it is the same file (by path or by identity) as a remaining
// entry's archive or any entry's source: deleting it would destroy the other entry's only
// copy or the user's own file. Archives not deleted are listed in `notDeleted` (may be null).
// A selected row whose entry the document does not own stays. Marks the document modified
// when any row was selected. Returns the number of entries removed.
int RemoveSelectedEntries(CBrackenholdDoc& doc, bool deleteArchives,
                          std::vector<ArchiveNotDeleted>* notDeleted = nullptr);

}  // namespace bh
