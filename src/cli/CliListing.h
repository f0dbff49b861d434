#pragma once

namespace bh {
class ListRows;
}

namespace bh::cli {

// Prints the rows and the summary lines as `list` does: tab-separated text with a header
// line, or the JSON document.
void PrintListing(const ListRows& rows, bool json);

}  // namespace bh::cli
