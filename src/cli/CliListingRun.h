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
    bool print = true;                         // false: only open (status -q)
};

// Opens the manager and prints its listing (PrintListing) unless `print` is false. kExitUsage
// when it cannot be read.
int RunListing(const ListingRequest& request, CliSession& session);

}  // namespace bh::cli
