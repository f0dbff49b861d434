#include "core/operations/SharedArchives.h"

#include <algorithm>
#include <compare>
#include <cstdint>
#include <string>
#include <utility>

#include "core/base/PathParts.h"
#include "core/document/FileEntry.h"
#include "core/document/ManagerList.h"

namespace bh {

// The two forms cannot collide: an identity key starts with a byte no path text starts with.
std::string FileKey(const FileIdentity& identity, const std::string& path) {
    if (!identity.Known()) {
        return ComparablePath(path);
    }
    std::string key(1 + 2 * sizeof(std::uint64_t), '\0');
    for (std::size_t i = 0; i < sizeof(std::uint64_t); ++i) {
        key[1 + i] = static_cast<char>(identity.device >> (8 * i));
        key[1 + sizeof(std::uint64_t) + i] = static_cast<char>(identity.inode >> (8 * i));
    }
    return key;
}

std::vector<std::string> FileKeys(const FileIdentity& identity, const std::string& path) {
    std::vector<std::string> keys{ComparablePath(path)};
    if (identity.Known()) {
        keys.push_back(FileKey(identity, path));
    }
    return keys;
}

namespace {

// One way an entry's archive is known: by its comparable path (compared through a hash first)
// or by its identity. Sorting these brings every entry that may share an archive together
// without a string or a node per entry.
struct ArchiveKey {
    enum class Kind : std::uint8_t { Path, Identity };
    Kind kind;
    std::uint64_t first;   // the path's hash, or the device
    std::uint64_t second;  // 0, or the inode
    std::uint32_t entry;   // position in the entries

    auto operator<=>(const ArchiveKey&) const = default;
    bool SameKeyAs(const ArchiveKey& other) const {
        return kind == other.kind && first == other.first && second == other.second;
    }
};

std::vector<ArchiveKey> ArchiveKeysOf(const std::vector<const CFileEntry*>& entries) {
    std::vector<ArchiveKey> keys;
    keys.reserve(entries.size() * 2);
    std::string comparable;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const CFileEntry& entry = *entries[i];
        const auto index = static_cast<std::uint32_t>(i);
        ComparablePathInto(entry.archivePath, comparable);
        keys.push_back({ArchiveKey::Kind::Path, std::hash<std::string>{}(comparable), 0, index});
        const FileIdentity& identity = entry.archiveIdentity;
        if (identity.Known()) {
            keys.push_back({ArchiveKey::Kind::Identity, identity.device, identity.inode, index});
        }
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

// Whether two entries back up one source (the same identity, or without identities the same
// comparable path), so that sharing an archive between them is no clash.
bool SameSource(const CFileEntry& a, const CFileEntry& b) {
    return FileKey(a.sourceIdentity, a.sourcePath) == FileKey(b.sourceIdentity, b.sourcePath);
}

// For every entry, the other source that shares its archive: found by path first, then by
// identity. Null where there is none.
class SharedSources {
  public:
    explicit SharedSources(const std::vector<const CFileEntry*>& entries)
        : entries_(entries), byPath_(entries.size()), byIdentity_(entries.size()) {}

    // A group of entries (in entry order) known to use one archive.
    void AddUsers(ArchiveKey::Kind kind, const std::vector<std::uint32_t>& users) {
        const CFileEntry& first = *entries_[users.front()];
        const std::string* other = nullptr;
        for (const std::uint32_t user : users) {
            if (!SameSource(*entries_[user], first)) {
                other = &entries_[user]->sourcePath;
                break;
            }
        }
        if (other == nullptr) {
            return;
        }
        auto& found = kind == ArchiveKey::Kind::Path ? byPath_ : byIdentity_;
        for (const std::uint32_t user : users) {
            found[user] = SameSource(*entries_[user], first) ? other : &first.sourcePath;
        }
        any_ = true;
    }

    bool Any() const { return any_; }
    const std::string* For(std::size_t entry) const {
        return byPath_[entry] != nullptr ? byPath_[entry] : byIdentity_[entry];
    }

  private:
    const std::vector<const CFileEntry*>& entries_;
    std::vector<const std::string*> byPath_;
    std::vector<const std::string*> byIdentity_;
    bool any_ = false;
};

// Splits entries whose paths merely hash alike into groups of equal comparable paths, each
// in entry order.
std::vector<std::vector<std::uint32_t>> SplitByPath(const std::vector<const CFileEntry*>& entries,
                                                    const std::vector<std::uint32_t>& users) {
    std::vector<std::pair<std::string, std::uint32_t>> paths;
    for (const std::uint32_t user : users) {
        paths.emplace_back(ComparablePath(entries[user]->archivePath), user);
    }
    std::sort(paths.begin(), paths.end());
    std::vector<std::vector<std::uint32_t>> groups;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (i == 0 || paths[i].first != paths[i - 1].first) {
            groups.emplace_back();
        }
        groups.back().push_back(paths[i].second);
    }
    return groups;
}

SharedSources FindSharedSources(const std::vector<const CFileEntry*>& entries) {
    SharedSources shared(entries);
    const std::vector<ArchiveKey> keys = ArchiveKeysOf(entries);
    std::vector<std::uint32_t> users;
    for (std::size_t begin = 0, end = 0; begin < keys.size(); begin = end) {
        end = begin + 1;
        while (end < keys.size() && keys[end].SameKeyAs(keys[begin])) {
            ++end;
        }
        if (end - begin < 2) {
            continue;
        }
        users.clear();
        for (std::size_t i = begin; i < end; ++i) {
            users.push_back(keys[i].entry);
        }
        if (keys[begin].kind == ArchiveKey::Kind::Identity) {
            shared.AddUsers(ArchiveKey::Kind::Identity, users);
            continue;
        }
        for (const auto& group : SplitByPath(entries, users)) {
            if (group.size() >= 2) {
                shared.AddUsers(ArchiveKey::Kind::Path, group);
            }
        }
    }
    return shared;
}

void MarkShared(CFileEntry& entry, const std::string& otherSource) {
    entry.SetState(EntryState::Problem);
    entry.result = kResultArchiveFailed;
    entry.SetLastErrorCode(kErrorSharedArchive);
    entry.SetSharedWith(otherSource);
}

// Marks every entry that `shared` names a clash for, through `entryAt(position)`; returns
// their positions.
template <typename EntryAt>
std::vector<std::size_t> MarkClashes(const std::vector<const CFileEntry*>& entries,
                                     EntryAt entryAt) {
    const SharedSources shared = FindSharedSources(entries);
    std::vector<std::size_t> marked;
    for (std::size_t i = 0; shared.Any() && i < entries.size(); ++i) {
        const std::string* other = shared.For(i);
        if (other == nullptr || entries[i]->result == kResultSourceFailed) {
            continue;
        }
        // Marking changes no source path, so `other` stays valid.
        MarkShared(entryAt(i), *other);
        marked.push_back(i);
    }
    return marked;
}

}  // namespace

std::vector<std::size_t> MarkSharedArchives(const std::vector<CFileEntry*>& entries) {
    const std::vector<const CFileEntry*> readOnly(entries.begin(), entries.end());
    return MarkClashes(readOnly, [&](std::size_t i) -> CFileEntry& { return *entries[i]; });
}

// Read through the list's const view, so that only the marked rows count as changed.
void MarkSharedArchives(ManagerList& rows) {
    const ManagerList& view = rows;
    std::vector<const CFileEntry*> entries(static_cast<std::size_t>(rows.Count()));
    for (int row = 0; row < rows.Count(); ++row) {
        entries[static_cast<std::size_t>(row)] = &view.Entry(row);
    }
    const auto entryAt = [&](std::size_t i) -> CFileEntry& {
        return rows.Entry(static_cast<int>(i));
    };
    for (const std::size_t row : MarkClashes(entries, entryAt)) {
        rows.UpdateRowTexts(static_cast<int>(row));
    }
}

}  // namespace bh
