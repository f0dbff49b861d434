#include "core/operations/RemoveSelected.h"

#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/base/Format.h"
#include "core/base/PathParts.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/ManagerList.h"
#include "core/operations/FilesInUse.h"
#include "core/ports/MessageBoxFlags.h"

namespace bh {

namespace {

// Deletes the archives of the entries being removed, each once, except those still in use.
void DeleteUnusedArchives(CBrackenholdDoc& doc, const std::vector<bool>& removeRow,
                          std::vector<ArchiveNotDeleted>* notDeleted) {
    FileSystem& fileSystem = doc.services().fileSystem;
    const ManagerList& rows = doc.rows();
    FilesInUse inUse(fileSystem, rows, removeRow);
    std::unordered_set<std::string> visited;
    for (int row = 0; row < rows.Count(); ++row) {
        const std::string& archive = rows.Entry(row).archivePath;
        if (!removeRow[static_cast<std::size_t>(row)] ||
            !visited.insert(ComparablePath(archive)).second) {
            continue;
        }
        ErrorCode error = kErrorFileInUse;
        if (!inUse.Contains(archive)) {
            error = fileSystem.Remove(archive);
        }
        // A missing archive is what deleting it would have left: nothing to report.
        if (error != kNoError && fileSystem.Lookup(archive) != PathKind::None && notDeleted) {
            notDeleted->push_back({archive, error});
        }
    }
}

}  // namespace

void OnRemoveSelected(CBrackenholdDoc& doc) {
    const int selected = doc.rows().SelectedCount();
    if (selected == 0) {
        return;
    }
    const char* suffix = selected == 1 ? "" : "s";
    const int answer = doc.services().ui.MessageBox(
        Format("Do you also want to delete the archive file%s?", suffix),
        Format("Renove %d File%s from Backup", selected, suffix),
        kMbYesNoCancel | kMbIconQuestion | kMbDefButton3);
    if (answer != kIdYes && answer != kIdNo) {
        return;
    }
    // The desktop program has no report of archives left behind (the command line lists
    // them): the entries go either way, as designed.
    RemoveSelectedEntries(doc, answer == kIdYes);
}

int RemoveSelectedEntries(CBrackenholdDoc& doc, bool deleteArchives,
                          std::vector<ArchiveNotDeleted>* notDeleted) {
    ManagerList& rows = doc.rows();
    const int count = rows.Count();
    std::vector<bool> removeRow(static_cast<std::size_t>(count), false);
    int removed = 0;
    for (int row = rows.NextSelected(-1); row >= 0; row = rows.NextSelected(row)) {
        removeRow[static_cast<std::size_t>(row)] = true;
        ++removed;
    }
    if (removed == 0) {
        return 0;
    }
    if (deleteArchives) {
        DeleteUnusedArchives(doc, removeRow, notDeleted);
    }
    rows.RemoveRows(removeRow);
    doc.SetModifiedFlag(true);
    return removed;
}

}  // namespace bh
