#include "core/view/Sorting.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string_view>
#include <utility>

#include "core/document/BrackenholdDoc.h"
#include "core/document/ManagerList.h"
#include "core/view/SortKeys.h"

namespace bh {

namespace {

// Columns whose first click shows the largest key first.
bool IsDescendingColumn(int column) {
    return column == kColumnLastModified || column == kColumnObsolete || column == kColumnNotes;
}

// A folded text key with its first eight bytes as one big-endian number, so that most
// comparisons settle on the number without reaching the text. Zero padding keeps the order of
// the bytes: where the numbers differ, so do the texts, the same way round.
struct TextKey {
    std::uint64_t prefix = 0;
    std::string_view text;

    explicit TextKey(std::string_view folded) : text(folded) {
        for (std::size_t i = 0; i < 8; ++i) {
            prefix =
                (prefix << 8) | (i < folded.size() ? static_cast<unsigned char>(folded[i]) : 0);
        }
    }
    bool operator<(const TextKey& other) const {
        return prefix != other.prefix ? prefix < other.prefix : text < other.text;
    }
};

// The rows in the stable order of their keys. Each key travels with its row number, so the
// comparisons read the keys side by side rather than through the row numbers.
template <typename Key>
std::vector<int> StableOrder(const std::vector<Key>& keys, bool ascending) {
    std::vector<std::pair<Key, int>> keyed;
    keyed.reserve(keys.size());
    for (std::size_t row = 0; row < keys.size(); ++row) {
        keyed.emplace_back(keys[row], static_cast<int>(row));
    }
    const auto less = [ascending](const auto& a, const auto& b) {
        return ascending ? a.first < b.first : b.first < a.first;
    };
    std::stable_sort(keyed.begin(), keyed.end(), less);
    std::vector<int> order;
    order.reserve(keyed.size());
    for (const auto& [key, row] : keyed) {
        order.push_back(row);
    }
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
        return StableOrder(cached.Numbers(column), ascending);
    }
    // Folded keys compared byte by byte as unsigned order exactly as CompareNoCase does.
    const std::vector<std::string_view> texts = cached.Texts(column);
    return StableOrder(std::vector<TextKey>(texts.begin(), texts.end()), ascending);
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
