#include "cli/ListingWriter.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <string_view>
#include <vector>

#include "cli/JsonText.h"
#include "core/base/ColumnIds.h"
#include "core/document/FileEntry.h"
#include "core/document/ManagerList.h"
#include "core/view/Columns.h"
#include "core/view/RowTexts.h"

namespace bh::cli {

namespace {

// The buffer is written out once it holds this much.
constexpr std::size_t kFlushBytes = 64 * 1024;

constexpr int kJsonSchemaVersion = 2;

// Bytes a row cannot hold as they are: tabs and line breaks would split it, and a backslash
// starts an escape.
bool NeedsEscape(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F || byte == '\\';
}

void AppendEscape(std::string& out, unsigned char byte) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    if (byte == '\t') {
        out += "\\t";
    } else if (byte == '\n') {
        out += "\\n";
    } else if (byte == '\\') {
        out += "\\\\";
    } else {
        const char escape[] = {'\\', 'x', kHex[byte >> 4], kHex[byte & 0x0F]};
        out.append(escape, sizeof escape);
    }
}

// Keeps one row on one line: tabs, line breaks, backslashes and other control bytes are
// written as escapes. The bytes between two escapes go out as one span.
void AppendEscapedField(std::string& out, std::string_view text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (NeedsEscape(byte)) {
            out.append(text.data() + start, i - start);
            AppendEscape(out, byte);
            start = i + 1;
        }
    }
    out.append(text.data() + start, text.size() - start);
}

std::string_view WithoutLeading(std::string_view text, char leading) {
    return !text.empty() && text[0] == leading ? text.substr(1) : text;
}

// The JSON text of a state.
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

void AppendNumber(std::string& out, std::int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, static_cast<std::size_t>(end - digits));
}

void AppendNumberField(std::string& out, std::string_view name, std::int64_t value) {
    out += ", \"";
    out += name;
    out += "\": ";
    AppendNumber(out, value);
}

void AppendTextField(std::string& out, std::string_view name, std::string_view value) {
    out += ", ";
    AppendJsonStringField(out, name, value);
}

}  // namespace

ListingWriter::ListingWriter(std::FILE* out, Form form, const Clock& clock,
                             const SystemErrors& errors)
    : out_(out), form_(form), clock_(clock), errors_(errors) {}

bool ListingWriter::Begin() {
    if (form_ == Form::Json) {
        buffer_ +=
            "{\"schemaVersion\": " + std::to_string(kJsonSchemaVersion) + ",\n \"entries\": [";
        return Flush(false);
    }
    for (int column = 0; column < kColumnCount; ++column) {
        if (column > 0) {
            buffer_ += '\t';
        }
        AppendEscapedField(buffer_, ColumnHeaderText(column));
    }
    buffer_ += '\n';
    return Flush(false);
}

bool ListingWriter::AddRows(const ManagerList& rows, std::size_t firstRow) {
    for (int row = 0; row < rows.Count(); ++row) {
        if (writeError_) {
            return false;
        }
        summary_.Add(rows.Entry(row));
        if (form_ == Form::Json) {
            AddJsonRow(rows, row, firstRow + static_cast<std::size_t>(row) + 1);
        } else {
            AddTextRow(rows, row);
        }
        Flush(false);
    }
    return !writeError_;
}

bool ListingWriter::End() {
    if (form_ == Form::Json) {
        AddJsonSummary();
    } else {
        AddTextSummary();
    }
    return Flush(true);
}

void ListingWriter::AddTextRow(const ManagerList& rows, int row) {
    for (int column = 0; column < kColumnCount; ++column) {
        if (column > 0) {
            buffer_ += '\t';
        }
        const std::string cell = CellText(rows, row, column, clock_, errors_);
        AppendEscapedField(buffer_, column == kColumnName ? WithoutLeading(cell, ' ') : cell);
    }
    buffer_ += '\n';
}

void ListingWriter::AddJsonRow(const ManagerList& rows, int row, std::size_t number) {
    const CFileEntry& entry = rows.Entry(row);
    buffer_ += number == 1 ? "\n  {\"row\": " : ",\n  {\"row\": ";
    AppendNumber(buffer_, static_cast<std::int64_t>(number));
    AppendTextField(buffer_, "sourcePath", entry.sourcePath);
    AppendTextField(buffer_, "archivePath", entry.archivePath);
    AppendTextField(buffer_, "notes", entry.notes);
    AppendTextField(buffer_, "typeName", entry.TypeName());
    AppendNumberField(buffer_, "sourceSize", entry.sourceSize);
    AppendNumberField(buffer_, "archiveSize", entry.archiveSize);
    AppendNumberField(buffer_, "sourceTime", entry.sourceTime);
    AppendNumberField(buffer_, "archiveTime", entry.archiveTime);
    AppendNumberField(buffer_, "timeDiff", entry.timeDiff);
    AppendNumberField(buffer_, "result", entry.result);
    AppendNumberField(buffer_, "lastError", entry.lastError);
    AppendNumberField(buffer_, "textColor", entry.textColor);
    AppendNumberField(buffer_, "backColor", entry.backColor);
    AppendTextField(buffer_, "status", StateText(entry.state));
    AppendTextField(buffer_, "error", CellText(rows, row, kColumnResults, clock_, errors_));
    buffer_ += '}';
}

void ListingWriter::AddTextSummary() {
    for (const std::string& pane : {FilesPaneText(summary_), TotalSizePaneText(summary_),
                                    ObsoletePaneText(summary_), ProblemsPaneText(summary_)}) {
        AppendEscapedField(buffer_, WithoutLeading(pane, '\t'));
        buffer_ += '\n';
    }
}

void ListingWriter::AddJsonSummary() {
    buffer_ += summary_.files == 0 ? "],\n" : "\n ],\n";
    buffer_ += " \"summary\": {\"files\": " + std::to_string(summary_.files);
    AppendNumberField(buffer_, "totalSize", static_cast<std::int64_t>(summary_.totalSize));
    AppendNumberField(buffer_, "obsolete", summary_.obsolete);
    AppendNumberField(buffer_, "problems", summary_.problems);
    buffer_ += "}}\n";
}

bool ListingWriter::Flush(bool force) {
    if (writeError_) {
        return false;
    }
    if (!force && buffer_.size() < kFlushBytes) {
        return true;
    }
    errno = 0;
    const std::size_t written = std::fwrite(buffer_.data(), 1, buffer_.size(), out_);
    const bool flushed = written == buffer_.size() && (!force || std::fflush(out_) == 0);
    buffer_.clear();
    if (!flushed) {
        // A stream that failed without a reason still failed.
        writeError_ = ErrorCode(static_cast<std::uint32_t>(errno != 0 ? errno : EIO));
        return false;
    }
    return true;
}

}  // namespace bh::cli
