#include "core/document/SourceIndex.h"

#include <algorithm>

#include "core/base/PathParts.h"
#include "core/document/FileEntry.h"

namespace bh {

namespace {

// FNV-1a over the bytes as EqualsNoCase compares them, so that equal paths hash alike.
std::uint64_t FoldedHash(std::string_view path) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : path) {
        const char folded = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        hash = (hash ^ static_cast<unsigned char>(folded)) * 1099511628211ull;
    }
    return hash;
}

}  // namespace

void SourceIndex::Rebuild(const std::vector<const CFileEntry*>& entries) {
    added_.clear();
    sorted_.clear();
    sorted_.reserve(entries.size());
    for (const CFileEntry* entry : entries) {
        sorted_.emplace_back(FoldedHash(entry->sourcePath), entry);
    }
    std::ranges::sort(sorted_, {}, &Slot::first);
}

void SourceIndex::Add(const CFileEntry& entry) {
    added_.emplace(FoldedHash(entry.sourcePath), &entry);
}

bool SourceIndex::Matches(const Slot& slot, std::uint64_t hash, std::string_view path) {
    return slot.first == hash && EqualsNoCase(slot.second->sourcePath, path);
}

bool SourceIndex::Contains(std::string_view sourcePath) const {
    const std::uint64_t hash = FoldedHash(sourcePath);
    const auto first = std::ranges::lower_bound(sorted_, hash, {}, &Slot::first);
    for (auto it = first; it != sorted_.end() && it->first == hash; ++it) {
        if (Matches(*it, hash, sourcePath)) {
            return true;
        }
    }
    const auto [begin, end] = added_.equal_range(hash);
    return std::any_of(begin, end, [&](const auto& slot) {
        return Matches({slot.first, slot.second}, hash, sourcePath);
    });
}

}  // namespace bh
