#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/CliCommand.h"
#include "cli/CliListing.h"
#include "cli/CliListingRun.h"
#include "cli/CliSession.h"
#include "core/view/Columns.h"
#include "core/view/EntryTexts.h"
#include "core/view/RowTexts.h"
#include "core/view/Summaries.h"

namespace bh::cli {

namespace {

// Keeps one row on one line: tabs, line breaks, backslashes and other control bytes are
// written as escapes.
std::string EscapeField(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

std::string WithoutLeading(const std::string& text, char leading) {
    return !text.empty() && text[0] == leading ? text.substr(1) : text;
}

void PrintLine(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line += '\t';
        }
        line += EscapeField(fields[i]);
    }
    line += '\n';
    std::fputs(line.c_str(), stdout);
}

void PrintText(const ManagerList& rows, const Services& services, const Summary& summary) {
    std::vector<std::string> fields;
    for (int column = 0; column < kColumnCount; ++column) {
        fields.push_back(ColumnHeaderText(column));
    }
    PrintLine(fields);
    for (int row = 0; row < rows.Count(); ++row) {
        fields.clear();
        for (int column = 0; column < kColumnCount; ++column) {
            const std::string cell =
                CellText(rows, row, column, services.clock, services.systemErrors);
            fields.push_back(column == kColumnName ? WithoutLeading(cell, ' ') : cell);
        }
        PrintLine(fields);
    }
    for (const std::string& pane : {FilesPaneText(summary), TotalSizePaneText(summary),
                                    ObsoletePaneText(summary), ProblemsPaneText(summary)}) {
        std::printf("%s\n", EscapeField(WithoutLeading(pane, '\t')).c_str());
    }
}

// The JSON text of a state; the README lists them.
const char* StateText(EntryState state) {
    switch (state) {
        case EntryState::UpToDate:
            return "up to date";
        case EntryState::Problem:
            return "problem";
        case EntryState::OutOfDate:
            break;
    }
    return "out of date";
}

nlohmann::json EntryJson(const ManagerList& rows, const Services& services, int row) {
    const CFileEntry& entry = rows.Entry(row);
    return {
        {"sourcePath", entry.sourcePath},
        {"archivePath", entry.archivePath},
        {"notes", entry.notes},
        {"typeName", entry.typeName},
        {"sourceSize", entry.sourceSize},
        {"archiveSize", entry.archiveSize},
        {"sourceTime", entry.sourceTime},
        {"archiveTime", entry.archiveTime},
        {"timeDiff", entry.timeDiff},
        {"result", entry.result},
        {"lastError", entry.lastError},
        {"textColor", entry.textColor},
        {"backColor", entry.backColor},
        {"status", StateText(entry.state)},
        {"error", CellText(rows, row, kColumnResults, services.clock, services.systemErrors)},
    };
}

void PrintJson(const ManagerList& rows, const Services& services, const Summary& summary) {
    nlohmann::json entries = nlohmann::json::array();
    for (int row = 0; row < rows.Count(); ++row) {
        entries.push_back(EntryJson(rows, services, row));
    }
    const nlohmann::json document = {
        {"entries", entries},
        {"summary",
         {{"files", summary.files},
          {"totalSize", static_cast<std::uint64_t>(summary.totalSize)},
          {"obsolete", summary.obsolete},
          {"problems", summary.problems}}},
    };
    // Paths need not be UTF-8; invalid bytes become U+FFFD so the output stays valid JSON.
    const std::string text = document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    std::printf("%s\n", text.c_str());
}

}  // namespace

void PrintListing(const ManagerList& rows, const Services& services, bool json) {
    const Summary summary = ComputeSummary(rows);
    if (json) {
        PrintJson(rows, services, summary);
    } else {
        PrintText(rows, services, summary);
    }
}

namespace {

void DeclareList(CLI::App& app, ListingRequest& request) {
    app.add_option("MANAGER", request.manager, "the manager to list")->required();
    app.add_flag("--json", request.json, "print the listing as JSON");
    app.add_option("--date-mode", request.dateMode, "the Last Modified column's date style, 0 to 3")
        ->type_name("N")
        ->check(CLI::Range(0, 3).description(""));
}

int RunList(const ListingRequest& request, CliSession& session) {
    return RunListing(request, session);
}

const bool registered =
    RegisterCliCommand("list", "list every entry with its evaluated status", DeclareList, RunList);

}  // namespace

}  // namespace bh::cli
