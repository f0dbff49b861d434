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
    struct RowKeys {
        std::int64_t numbers[kNumberKeys] = {};
        Span texts[kTextKeys] = {};
        bool stale = true;
    };

    void Update(const ManagerList& rows);
    void Make(const CFileEntry& entry, RowKeys& keys);
    Span AddFolded(std::string_view text);

    std::vector<RowKeys> rows_;
    std::size_t staleCount_ = 0;
    // The folded texts of every row side by side; a row made again appends its texts, and the
    // old ones stay as waste until the next full pass.
    std::string folded_;
    std::size_t wasted_ = 0;
};

}  // namespace bh
