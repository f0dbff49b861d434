#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "core/ports/ErrorCode.h"
#include "core/view/Summaries.h"

namespace bh {
class Clock;
class ManagerList;
class SystemErrors;
}  // namespace bh

namespace bh::cli {

// Writes the listing of `list` and `status` as the rows arrive, batch by batch, keeping only a
// bounded buffer: the tab-separated text (a header line, one line per row, the four summary
// lines) or the JSON document. The first failed write stops every later one and is kept.
class ListingWriter {
  public:
    enum class Form { Text, Json };

    ListingWriter(std::FILE* out, Form form, const Clock& clock, const SystemErrors& errors);

    // Each returns false once a write has failed; WriteError() tells why.
    bool Begin();
    // `firstRow` is the row of rows' first entry in the manager, from 0.
    bool AddRows(const ManagerList& rows, std::size_t firstRow);
    // Writes the summary and flushes the output.
    bool End();

    ErrorCode WriteError() const { return writeError_; }
    // Whether every row written so far was up to date.
    bool AllUpToDate() const { return summary_.obsolete == 0 && summary_.problems == 0; }

  private:
    void AddTextRow(const ManagerList& rows, int row);
    void AddJsonRow(const ManagerList& rows, int row, std::size_t number);
    void AddTextSummary();
    void AddJsonSummary();
    // Writes the buffer out when it is full, or always with `force`.
    bool Flush(bool force);

    std::FILE* out_;
    Form form_;
    const Clock& clock_;
    const SystemErrors& errors_;
    Summary summary_;
    std::string buffer_;
    ErrorCode writeError_;
};

}  // namespace bh::cli
