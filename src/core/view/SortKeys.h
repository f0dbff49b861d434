#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/ColumnIds.h"
#include "core/document/RowKeyCache.h"

namespace bh {

class CFileEntry;
class ManagerList;

// Every column's sort key of every row, made in one pass over the entries and kept in the
// list between sorts: reaching scattered entries costs more than the sort itself, and a
// header click on another column then costs only the sort. Text keys are folded for the
// comparison (CompareNoCase order). A row's keys are made again when the list reports a change
// to it; rows never reported keep theirs.
class SortKeys : public RowKeyCache {
  public:
    // The keys kept for `rows`, made or brought up to date (installed in the list if it had
    // none). Valid until the list next changes.
    static SortKeys& Of(const ManagerList& rows);

    // The column's keys in row order. Numbers for Size, Last Modified, Results and Obsolete.
    static bool IsNumberColumn(int column);
    std::vector<std::int64_t> Numbers(int column) const;
    std::vector<std::string_view> Texts(int column) const;

    void Invalidate(int row) override;
    void Insert(int row) override;
    void Remove(const std::vector<bool>& remove) override;
    void Reorder(const std::vector<int>& order) override;

  private:
    static constexpr int kNumberKeys = 4;
    static constexpr int kTextKeys = kColumnCount - kNumberKeys;

    struct Span {
        std::size_t offset = 0;
        std::size_t size = 0;
    };

    // Keys live in slots, one column per vector, and each row names its slot: a reorder then
    // moves one number per row, and gathering a column reads one compact vector.
    void Update(const ManagerList& rows);
    void StartOver(std::size_t rowCount);
    std::uint32_t NewSlot();
    void Make(const CFileEntry& entry, std::uint32_t slot);
    void Forget(std::uint32_t slot);
    Span AddFolded(std::string_view text);

    std::vector<std::uint32_t> slotOfRow_;
    std::vector<std::int64_t> numbers_[kNumberKeys];
    std::vector<Span> texts_[kTextKeys];
    std::vector<bool> stale_;
    std::size_t staleCount_ = 0;
    std::size_t deadSlots_ = 0;  // slots of removed rows, reclaimed by the next full pass
    // The folded texts of every slot side by side; a slot made again appends its texts, and
    // the old ones stay as waste until the next full pass.
    std::string folded_;
    std::size_t wasted_ = 0;
};

}  // namespace bh
