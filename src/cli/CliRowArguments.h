#pragma once

#include <string>
#include <vector>

namespace bh {
class ManagerList;
}

namespace bh::cli {

// Parses 1-based row numbers ("3") into 0-based row indices. False, with a message on
// stderr, for a word that is not a number or a row the manager does not have.
bool ParseRowNumbers(const std::vector<std::string>& words, int rowCount, std::vector<int>& rows);

// Selects exactly the given rows.
void SelectOnly(ManagerList& listRows, const std::vector<int>& rows);

}  // namespace bh::cli
