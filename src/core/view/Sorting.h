#pragma once

#include <vector>

#include "core/view/Columns.h"

namespace bh {

class CBrackenholdDoc;
class ManagerList;

// Reserved for what a sort may need beyond the rows (every key comes from the entries).
struct SortContext {};

// A click on the header of state.column: flips state.sortFlag and puts the rows in that
// column's order for the new flag. Returns false, changing nothing, when the list is empty.
// When it returns true the stored order has changed, so the caller marks the document
// modified.
bool SortRowsByColumn(ManagerList& rows, CColumnState& state, const SortContext& context = {});

// The same on the document's rows, marking the manager modified when the order changed
// (the order is what the manager file stores).
bool SortDocumentByColumn(CBrackenholdDoc& doc, CColumnState& state);

// The order the sort above would give: new row i is old row result[i]. `sortFlag` is the
// flag after the flip; 1 gives the column's first-click order.
std::vector<int> SortedRowOrder(const ManagerList& rows, int column, int sortFlag);

}  // namespace bh
