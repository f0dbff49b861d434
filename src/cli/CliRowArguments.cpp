#include "cli/CliRowArguments.h"

#include <CLI/CLI.hpp>
#include <string>

#include "cli/CliCommand.h"
#include "cli/CliSession.h"
#include "core/document/ManagerList.h"

namespace bh::cli {

namespace {

// A row number is digits only: no sign, no blank, no exponent, and at least 1. Leading zeros
// are dropped here, because CLI11 reads a number with a leading zero as octal: "010" would
// otherwise restore or remove row 8.
std::string CheckRowNumber(std::string& word) {
    const bool digits = !word.empty() && word.find_first_not_of("0123456789") == std::string::npos;
    const std::size_t first = word.find_first_not_of('0');
    const bool inRange = digits && first != std::string::npos && word.size() - first <= 9;
    if (!inRange) {
        return word + " is not a row number";
    }
    word.erase(0, first);
    return std::string();
}

}  // namespace

void DeclareRowNumbers(CLI::App& app, std::vector<int>& rows, const char* description) {
    app.add_option("ROW", rows, description)->transform(CLI::Validator(CheckRowNumber, ""));
}

bool RowIndices(const std::vector<int>& numbers, CliSession& session, std::vector<int>& rows) {
    const int rowCount = session.rows().Count();
    for (const int number : numbers) {
        if (number > rowCount) {
            PrintError(session.doc().PathName() + ": no such row: " + std::to_string(number) +
                       " (the manager has " + std::to_string(rowCount) + " rows)");
            return false;
        }
        rows.push_back(number - 1);
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
