#pragma once

#include <vector>

namespace CLI {
class App;
}

namespace bh {
class ManagerList;
}

namespace bh::cli {

// Declares the ROW... positional: row numbers from 1, as the listing numbers them.
void DeclareRowNumbers(CLI::App& app, std::vector<int>& rows, const char* description);

// The 0-based row indices of 1-based row numbers. False, with a message on stderr, for a row
// the manager does not have.
bool RowIndices(const std::vector<int>& numbers, int rowCount, std::vector<int>& rows);

// Selects exactly the given rows.
void SelectOnly(ManagerList& listRows, const std::vector<int>& rows);

}  // namespace bh::cli
