#include "core/view/Sorting.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string>
#include <string_view>

#include "core/base/PathParts.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/FileEntry.h"
#include "core/document/ManagerList.h"
#include "core/view/EntryTexts.h"

namespace bh {

namespace {

bool IsNumberColumn(int column) {
    return column == kColumnSize || column == kColumnLastModified || column == kColumnResults ||
           column == kColumnObsolete;
}

// Columns whose first click shows the largest key first.
bool IsDescendingColumn(int column) {
    return column == kColumnLastModified || column == kColumnObsolete || column == kColumnNotes;
}

// Unsigned fields widen unchanged and signed ones keep their sign, so one 64-bit key
// orders both.
std::int64_t NumberKey(const CFileEntry& entry, int column) {
    switch (column) {
        case kColumnSize:
            return entry.sourceSize;
        case kColumnLastModified:
            return entry.sourceTime;
        case kColumnResults:
            return entry.lastError;
        default:
            return entry.timeDiff;
    }
}

// The rows' entries first, then their keys: reading the entries from a plain array lets the
// processor fetch many scattered entries at once.
std::vector<const CFileEntry*> EntriesOf(const ManagerList& rows) {
    std::vector<const CFileEntry*> entries(static_cast<std::size_t>(rows.Count()));
    for (int row = 0; row < rows.Count(); ++row) {
        entries[static_cast<std::size_t>(row)] = &rows.Entry(row);
    }
    return entries;
}

std::string_view TextKey(const CFileEntry& entry, int column) {
    switch (column) {
        case kColumnName:
            return NameTextView(entry);
        case kColumnType:
            return TypeTextView(entry);
        case kColumnSourcePath:
            return entry.sourcePath;
        case kColumnArchivePath:
            return entry.archivePath;
        case kColumnNotes:
            return entry.notes;
        case kColumnFolder:
            return FolderTextView(entry.sourcePath);
        case kColumnDrive:
            return DriveTextView(entry.sourcePath);
        default:
            return entry.typeName;
    }
}

// Every row's folded text key, side by side in one buffer: one allocation for all rows
// instead of one per row, and keys that lie together in memory while the sort compares them.
class FoldedKeys {
  public:
    FoldedKeys(const ManagerList& rows, int column) {
        // One pass over the entries: reaching every entry costs more than regrowing the
        // buffer a few times.
        const std::vector<const CFileEntry*> entries = EntriesOf(rows);
        ends_.reserve(entries.size());
        for (const CFileEntry* entry : entries) {
            buffer_ += TextKey(*entry, column);
            ends_.push_back(buffer_.size());
        }
        FoldCaseInPlace(buffer_);
        keys_.reserve(ends_.size());
        std::size_t start = 0;
        for (const std::size_t end : ends_) {
            keys_.emplace_back(buffer_.data() + start, end - start);
            start = end;
        }
    }
    const std::vector<std::string_view>& Keys() const { return keys_; }

  private:
    std::string buffer_;
    std::vector<std::size_t> ends_;
    std::vector<std::string_view> keys_;
};

template <typename Less>
std::vector<int> StableOrder(int count, Less less) {
    std::vector<int> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), less);
    return order;
}

}  // namespace

std::vector<int> SortedRowOrder(const ManagerList& rows, int column, int sortFlag) {
    const int count = rows.Count();
    if (!IsValidColumn(column)) {
        std::vector<int> order(static_cast<std::size_t>(count));
        std::iota(order.begin(), order.end(), 0);
        return order;
    }
    // Flag 1 compares the first row against the second; the descending columns and flag 0
    // swap the two, and both together cancel out.
    const bool ascending = (sortFlag == 1) != IsDescendingColumn(column);
    if (IsNumberColumn(column)) {
        const std::vector<const CFileEntry*> entries = EntriesOf(rows);
        std::vector<std::int64_t> keys(static_cast<std::size_t>(count));
        for (int row = 0; row < count; ++row) {
            keys[row] = NumberKey(*entries[row], column);
        }
        return StableOrder(count, [&keys, ascending](int a, int b) {
            return ascending ? keys[a] < keys[b] : keys[b] < keys[a];
        });
    }
    const FoldedKeys folded(rows, column);
    const std::vector<std::string_view>& keys = folded.Keys();
    // Folded keys compared byte by byte as unsigned order exactly as CompareNoCase does.
    return StableOrder(count, [&keys, ascending](int a, int b) {
        return ascending ? keys[a] < keys[b] : keys[b] < keys[a];
    });
}

bool SortRowsByColumn(ManagerList& rows, CColumnState& state, const SortContext& context) {
    (void)context;
    if (rows.Count() == 0) {
        return false;
    }
    state.sortFlag = state.sortFlag == 0 ? 1 : 0;
    rows.Reorder(SortedRowOrder(rows, state.column, state.sortFlag));
    return true;
}

bool SortDocumentByColumn(CBrackenholdDoc& doc, CColumnState& state) {
    if (!SortRowsByColumn(doc.rows(), state)) {
        return false;
    }
    doc.SetModifiedFlag(true);
    return true;
}

}  // namespace bh
