#include "cli/CliRowArguments.h"

#include "cli/CliCommand.h"
#include "core/document/ManagerList.h"

namespace bh::cli {

bool ParseRowNumbers(const std::vector<std::string>& words, int rowCount, std::vector<int>& rows) {
    for (const std::string& word : words) {
        long long number = 0;
        bool digits = !word.empty() && word.size() <= 10;
        for (const char c : word) {
            digits = digits && c >= '0' && c <= '9';
            number = number * 10 + (c - '0');
        }
        if (!digits || number < 1 || number > rowCount) {
            PrintError("no such row: " + word + " (the manager has " + std::to_string(rowCount) +
                       " rows)");
            return false;
        }
        rows.push_back(static_cast<int>(number - 1));
    }
    return true;
}

void SelectOnly(ManagerList& listRows, const std::vector<int>& rows) {
    for (int row = listRows.NextSelected(-1); row >= 0; row = listRows.NextSelected(row)) {
        listRows.SetSelected(row, false);
    }
    for (const int row : rows) {
        listRows.SetSelected(row, true);
    }
}

}  // namespace bh::cli
