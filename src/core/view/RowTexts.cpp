#include "core/view/RowTexts.h"

#include "core/document/ManagerList.h"
#include "core/view/Columns.h"

namespace bh {

std::string CellText(const ManagerList& list, int row, int column, const Clock& clock,
                     const SystemErrors& errors) {
    if (!list.IsValidRow(row)) {
        return std::string();
    }
    const std::string* results = list.ResultsText(row);
    if (column == kColumnResults && results != nullptr) {
        return *results;
    }
    return MakeCellText(list.Entry(row), column,
                        CellTextContext{list.DateMode(), list.TextsMadeAt(row), clock, errors});
}

}  // namespace bh
