#pragma once

#include <vector>

namespace CLI {
class App;
}

namespace bh {
class ManagerList;
}

namespace bh::cli {

class CliSession;

// Declares the ROW... positional: row numbers from 1, as the listing numbers them.
void DeclareRowNumbers(CLI::App& app, std::vector<int>& rows, const char* description);

// The 0-based row indices of 1-based row numbers in the session's manager. False, with a
// message naming the manager on stderr, for a row it does not have.
bool RowIndices(const std::vector<int>& numbers, CliSession& session, std::vector<int>& rows);

// Selects exactly the given rows.
void SelectOnly(ManagerList& listRows, const std::vector<int>& rows);

}  // namespace bh::cli
