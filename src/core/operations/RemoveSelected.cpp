#include "core/operations/RemoveSelected.h"

#include <cstddef>
#include <unordered_map>
#include <vector>

#include "core/app/Format.h"
#include "core/app/ListRows.h"
#include "core/app/MessageBoxFlags.h"
#include "core/document/BrackenholdDoc.h"

namespace bh {

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
    RemoveSelectedEntries(doc, answer == kIdYes);
}

int RemoveSelectedEntries(CBrackenholdDoc& doc, bool deleteArchives) {
    ListRows& rows = doc.rows();
    FileSystem& fileSystem = doc.services().fileSystem;
    std::unordered_map<const CFileEntry*, std::size_t> positions;
    positions.reserve(doc.entries.size());
    for (std::size_t j = 0; j < doc.entries.size(); ++j) {
        positions.emplace(doc.entries[j].get(), j);
    }

    const int count = rows.Count();
    std::vector<bool> removeRow(static_cast<std::size_t>(count), false);
    std::vector<bool> removeEntry(doc.entries.size(), false);
    bool visited = false;
    int removed = 0;
    // Bottom-up, as rows are deleted one by one from the end.
    for (int row = count - 1; row >= 0; --row) {
        if (!rows.IsSelected(row)) {
            continue;
        }
        visited = true;
        const CFileEntry& entry = rows.Entry(row);
        const auto found = positions.find(&entry);
        if (found == positions.end()) {
            continue;
        }
        removeRow[static_cast<std::size_t>(row)] = true;
        if (removeEntry[found->second]) {
            continue;  // a second row of an entry already being removed
        }
        removeEntry[found->second] = true;
        ++removed;
        // The archive may be the source under another spelling; sources are never touched.
        if (deleteArchives && !fileSystem.IsSameFile(entry.archivePath, entry.sourcePath)) {
            fileSystem.Remove(entry.archivePath);
        }
    }
    if (!visited) {
        return 0;
    }
    if (removed > 0) {
        rows.RemoveRows(removeRow);
        std::size_t kept = 0;
        for (std::size_t j = 0; j < doc.entries.size(); ++j) {
            if (removeEntry[j]) {
                doc.entries[j].reset();
            } else if (kept++ != j) {
                doc.entries[kept - 1] = std::move(doc.entries[j]);
            }
        }
        doc.entries.resize(kept);
        doc.SourcesChanged();
    }
    doc.SetModifiedFlag(true);
    return removed;
}

}  // namespace bh
