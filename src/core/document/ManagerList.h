#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/base/ColumnIds.h"
#include "core/document/FileEntry.h"
#include "core/document/RowKeyCache.h"
#include "core/document/SourceIndex.h"

namespace bh {

class Clock;
class ManagerListObserver;

// The entries of a backup manager in display order, the one place they live. Each row owns
// its entry and keeps its selection, a Results text set by an operation, and the time its
// texts were made (the Age date mode measures against it). The manager file is written in
// this order. Observers learn of every change; the list works the same without any.
class ManagerList {
  public:
    // The clock stamps the rows' texts; it must outlive the list.
    explicit ManagerList(const Clock& clock);
    ~ManagerList();
    ManagerList(const ManagerList&) = delete;
    ManagerList& operator=(const ManagerList&) = delete;

    // The observer must outlive its registration.
    void AddObserver(ManagerListObserver& observer);
    void RemoveObserver(ManagerListObserver& observer);

    int Count() const { return static_cast<int>(rows_.size()); }
    bool IsValidRow(int row) const { return row >= 0 && row < Count(); }
    const CFileEntry& Entry(int row) const {
        return *rows_.at(static_cast<std::size_t>(row)).entry;
    }
    // For changing the entry: whatever is kept of the row beside the entry is made again
    // when next asked for. A caller keeps the reference only while nothing else uses the list.
    CFileEntry& Entry(int row) {
        CFileEntry& entry = *rows_.at(static_cast<std::size_t>(row)).entry;
        InvalidateKeys(row);
        return entry;
    }

    bool IsSelected(int row) const;
    void SetSelected(int row, bool selected);
    int SelectedCount() const { return selectedCount_; }
    // Lowest selected row after `after` (-1 to start), or -1 when there is none.
    int NextSelected(int after) const;

    // The entry of the row changed: its texts are remade (dropping a Results text).
    void UpdateRowTexts(int row);
    // One column of the row changed: its text is remade.
    void UpdateCell(int row, int column);
    void EnsureVisible(int row);
    // Shows `text` in the row's Results column until its texts are next remade.
    void SetResultsText(int row, const std::string& text);
    // The Results text set by SetResultsText, or null.
    const std::string* ResultsText(int row) const;
    // Time (seconds since 1970) at which the row's texts were made.
    std::int64_t TextsMadeAt(int row) const;

    // The Last Modified column's date mode; changing it remakes that column.
    void SetDateMode(std::int32_t mode);
    std::int32_t DateMode() const { return dateMode_; }

    // Adds an unselected row for the entry at the end, or at `row` (clamped).
    CFileEntry& Append(std::unique_ptr<CFileEntry> entry);
    CFileEntry& Insert(int row, std::unique_ptr<CFileEntry> entry);
    // Removes, and destroys, in one pass every entry whose flag in `remove` (one per row) is
    // set; the others keep their order. One contiguous run is announced as a removal,
    // anything else as a reset.
    void RemoveRows(const std::vector<bool>& remove);
    void Clear();
    // Replaces every entry at once by `entries`, in their order, none selected.
    void Replace(std::vector<std::unique_ptr<CFileEntry>> entries);
    // Remakes every row's texts and drops the selection and the Results texts, as a fresh
    // display of the same entries does.
    void RemakeAll();
    // New row i is old row order[i]; selection travels with the rows. An `order` that is not
    // a permutation of the rows is ignored.
    void Reorder(const std::vector<int>& order);

    // The cache kept per row for a higher layer (null until one is set), told of every change
    // to the rows; replacing or remaking all the rows drops it. Const: a cache changes nothing
    // the list shows.
    RowKeyCache* KeyCache() const { return keyCache_.get(); }
    void SetKeyCache(std::unique_ptr<RowKeyCache> cache) const { keyCache_ = std::move(cache); }

    // Whether some entry's source equals `path` without regard to ASCII letter case. Linear
    // once after entries were removed or replaced, constant time after that.
    bool HasSource(const std::string& path) const;

  private:
    struct Row {
        std::unique_ptr<CFileEntry> entry;
        std::int64_t madeAt = 0;
        std::unique_ptr<std::string> results;  // SetResultsText's text until remade
        bool selected = false;
    };

    Row MakeRow(std::unique_ptr<CFileEntry> entry) const;
    template <typename Call>
    void Notify(Call call);
    void IndexAdded(const CFileEntry& entry);
    void InvalidateKeys(int row);

    const Clock& clock_;
    std::vector<Row> rows_;
    int selectedCount_ = 0;
    std::int32_t dateMode_ = kDefaultDateMode;
    std::vector<ManagerListObserver*> observers_;

    // Built at the first HasSource, grown by inserts, dropped by removals.
    mutable SourceIndex sourceIndex_;
    mutable bool sourceIndexValid_ = false;
    mutable std::unique_ptr<RowKeyCache> keyCache_;
};

}  // namespace bh
