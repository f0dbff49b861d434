#pragma once

#include <cstdint>
#include <string>

#include "core/base/ColumnIds.h"

namespace bh::cli {

class CliSession;

// What `list` and `status` were asked for.
struct ListingRequest {
    std::string manager;
    bool json = false;
    std::int32_t dateMode = kDefaultDateMode;  // of the Last Modified column
    bool print = true;                         // false: evaluate only (status -q)
    bool reportProblems = false;               // name every problem entry on stderr (status)
};

// Lists the manager on stdout as `list` and `status` do, reading and evaluating its entries in
// batches and writing each batch before the next is read, so that the memory used does not
// grow with the manager: tab-separated text with a header line, or the JSON document.
// Returns kExitOk; kExitUsage when the manager could not be read (the message was printed);
// kExitOutput when stdout could not be written (named on stderr; nothing more is written).
// `allUpToDate`, when given, tells whether every entry was up to date.
int WriteListing(CliSession& session, const ListingRequest& request, bool* allUpToDate = nullptr);

}  // namespace bh::cli
