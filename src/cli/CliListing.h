#pragma once

namespace bh {
class ManagerList;
struct Services;
}  // namespace bh

namespace bh::cli {

// Prints the rows and the summary lines as `list` does: tab-separated text with a header
// line, or the JSON document.
void PrintListing(const ManagerList& rows, const Services& services, bool json);

}  // namespace bh::cli
