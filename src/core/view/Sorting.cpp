#include "core/view/Sorting.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string_view>

#include "core/document/BrackenholdDoc.h"
#include "core/document/ManagerList.h"
#include "core/view/SortKeys.h"

namespace bh {

namespace {

// Columns whose first click shows the largest key first.
bool IsDescendingColumn(int column) {
    return column == kColumnLastModified || column == kColumnObsolete || column == kColumnNotes;
}

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
    const SortKeys& cached = SortKeys::Of(rows);
    if (SortKeys::IsNumberColumn(column)) {
        const std::vector<std::int64_t> keys = cached.Numbers(column);
        return StableOrder(count, [&keys, ascending](int a, int b) {
            return ascending ? keys[a] < keys[b] : keys[b] < keys[a];
        });
    }
    const std::vector<std::string_view> keys = cached.Texts(column);
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
