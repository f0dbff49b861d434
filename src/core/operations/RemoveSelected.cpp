#include "core/operations/RemoveSelected.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/base/Format.h"
#include "core/base/PathParts.h"
#include "core/document/BrackenholdDoc.h"
#include "core/operations/FilesInUse.h"
#include "core/ports/ListRows.h"
#include "core/ports/MessageBoxFlags.h"

namespace bh {

namespace {

// Each entry's index in the document's array, in one flat open-addressed table: a removal
// looks up every selected row, and a node per entry would cost an allocation each and a
// scattered read per lookup.
class EntryPositions {
  public:
    explicit EntryPositions(const std::vector<std::unique_ptr<CFileEntry>>& entries) {
        std::size_t capacity = 16;
        while (capacity < entries.size() * 2) {
            capacity *= 2;
        }
        mask_ = capacity - 1;
        slots_.resize(capacity);
        for (std::size_t j = 0; j < entries.size(); ++j) {
            std::size_t slot = Hash(entries[j].get());
            while (slots_[slot].entry != nullptr && slots_[slot].entry != entries[j].get()) {
                slot = (slot + 1) & mask_;
            }
            if (slots_[slot].entry == nullptr) {
                slots_[slot] = {entries[j].get(), j};
            }
        }
    }

    // The entry's index, or -1 when the document does not own it.
    std::ptrdiff_t Find(const CFileEntry* entry) const {
        for (std::size_t slot = Hash(entry);; slot = (slot + 1) & mask_) {
            if (slots_[slot].entry == entry) {
                return static_cast<std::ptrdiff_t>(slots_[slot].index);
            }
            if (slots_[slot].entry == nullptr) {
                return -1;
            }
        }
    }

  private:
    struct Slot {
        const CFileEntry* entry = nullptr;
        std::size_t index = 0;
    };

    std::size_t Hash(const CFileEntry* entry) const {
        const auto bits = reinterpret_cast<std::uintptr_t>(entry);
        return static_cast<std::size_t>((bits >> 4) * 0x9E3779B97F4A7C15ull >> 20) & mask_;
    }

    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
};

// Deletes the archives of the entries being removed, each once, except those still in use.
void DeleteUnusedArchives(CBrackenholdDoc& doc, const std::vector<bool>& removeEntry,
                          std::vector<ArchiveNotDeleted>* notDeleted) {
    FileSystem& fileSystem = doc.services().fileSystem;
    FilesInUse inUse(fileSystem, doc.entries, removeEntry);
    std::unordered_set<std::string> visited;
    for (std::size_t j = 0; j < doc.entries.size(); ++j) {
        const std::string& archive = doc.entries[j]->archivePath;
        if (!removeEntry[j] || !visited.insert(ComparablePath(archive)).second) {
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
    ListRows& rows = doc.rows();
    const EntryPositions positions(doc.entries);

    const int count = rows.Count();
    std::vector<bool> removeRow(static_cast<std::size_t>(count), false);
    std::vector<bool> removeEntry(doc.entries.size(), false);
    bool visited = false;
    int removed = 0;
    for (int row = count - 1; row >= 0; --row) {
        if (!rows.IsSelected(row)) {
            continue;
        }
        visited = true;
        const std::ptrdiff_t found = positions.Find(&rows.Entry(row));
        if (found < 0) {
            continue;
        }
        removeRow[static_cast<std::size_t>(row)] = true;
        if (!removeEntry[static_cast<std::size_t>(found)]) {
            removeEntry[static_cast<std::size_t>(found)] = true;  // once per entry, not per row
            ++removed;
        }
    }
    if (!visited) {
        return 0;
    }
    if (deleteArchives && removed > 0) {
        DeleteUnusedArchives(doc, removeEntry, notDeleted);
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
