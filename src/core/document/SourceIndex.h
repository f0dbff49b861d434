#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace bh {

class CFileEntry;

// Which source paths a list holds, compared without regard to ASCII letter case. Entries are
// kept by address (an entry's source path never changes) under a hash of the folded path, so
// building the index for a large list makes no string per entry.
class SourceIndex {
  public:
    // Indexes exactly these entries.
    void Rebuild(const std::vector<const CFileEntry*>& entries);
    // Indexes one more entry (one just added to the list).
    void Add(const CFileEntry& entry);
    bool Contains(std::string_view sourcePath) const;

  private:
    using Slot = std::pair<std::uint64_t, const CFileEntry*>;
    static bool Matches(const Slot& slot, std::uint64_t hash, std::string_view path);

    std::vector<Slot> sorted_;  // by hash, from the last rebuild
    std::unordered_multimap<std::uint64_t, const CFileEntry*> added_;  // since then
};

}  // namespace bh
