#pragma once

#include <string>

namespace bh {

class Clock;
class ManagerList;
class SystemErrors;

// The text a cell of the list shows now: the row's Results text where an operation set one,
// else the column's text of its entry in the list's date mode. Empty for an invalid row or
// column.
std::string CellText(const ManagerList& list, int row, int column, const Clock& clock,
                     const SystemErrors& errors);

}  // namespace bh
