#pragma once

#include <vector>

namespace bh {

// Something a ManagerList keeps per row on behalf of a higher layer (the sort keys of the
// view), told of every change to the rows so that it never answers with stale values. Row
// numbers are those of the list at the time of the call.
class RowKeyCache {
  public:
    virtual ~RowKeyCache() = default;

    // The row's entry may have changed (it was handed out for writing, or its texts remade).
    virtual void Invalidate(int row) = 0;
    // A row was inserted at `row`; the rows from there on moved down by one.
    virtual void Insert(int row) = 0;
    // The rows flagged in `remove` (one flag per row, possibly fewer) are gone.
    virtual void Remove(const std::vector<bool>& remove) = 0;
    // New row i is old row order[i].
    virtual void Reorder(const std::vector<int>& order) = 0;
};

}  // namespace bh
