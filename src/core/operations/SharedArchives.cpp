#include "core/operations/SharedArchives.h"

#include <string>
#include <unordered_map>

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

std::vector<std::string> ArchiveKeys(const CFileEntry& entry) {
    return FileKeys(entry.archiveIdentity, entry.archivePath);
}

// The first source seen with an archive, and the first other source, if any.
struct ArchiveUse {
    const std::string* firstSource = nullptr;
    std::string firstSourceKey;
    const std::string* otherSource = nullptr;
};

using ArchiveUses = std::unordered_map<std::string, ArchiveUse>;

// Notes the entry as a user of the archive; true when the archive now has two sources.
bool Record(ArchiveUse& use, const CFileEntry& entry, const std::string& sourceKey) {
    if (use.firstSource == nullptr) {
        use.firstSource = &entry.sourcePath;
        use.firstSourceKey = sourceKey;
    } else if (use.otherSource == nullptr && sourceKey != use.firstSourceKey) {
        use.otherSource = &entry.sourcePath;
    }
    return use.otherSource != nullptr;
}

// A source sharing the entry's archive other than the entry's own; null when none does.
const std::string* OtherSource(const ArchiveUses& uses, const CFileEntry& entry) {
    const std::string sourceKey = FileKey(entry.sourceIdentity, entry.sourcePath);
    for (const std::string& key : ArchiveKeys(entry)) {
        const ArchiveUse& use = uses.at(key);
        if (use.otherSource != nullptr) {
            return use.firstSourceKey == sourceKey ? use.otherSource : use.firstSource;
        }
    }
    return nullptr;
}

void MarkShared(CFileEntry& entry, const std::string& otherSource) {
    entry.SetState(EntryState::Problem);
    entry.result = kResultArchiveFailed;
    entry.SetLastErrorCode(kErrorSharedArchive);
    entry.SetSharedWith(otherSource);
}

}  // namespace

std::vector<std::size_t> MarkSharedArchives(const std::vector<CFileEntry*>& entries) {
    ArchiveUses uses;
    uses.reserve(entries.size());
    bool anyShared = false;
    for (const CFileEntry* entry : entries) {
        const std::string sourceKey = FileKey(entry->sourceIdentity, entry->sourcePath);
        for (const std::string& key : ArchiveKeys(*entry)) {
            anyShared = Record(uses[key], *entry, sourceKey) || anyShared;
        }
    }
    std::vector<std::size_t> marked;
    if (!anyShared) {
        return marked;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        CFileEntry& entry = *entries[i];
        const std::string* other = OtherSource(uses, entry);
        if (other == nullptr || entry.result == kResultSourceFailed) {
            continue;
        }
        MarkShared(entry, *other);
        marked.push_back(i);
    }
    return marked;
}

void MarkSharedArchives(ManagerList& rows) {
    std::vector<CFileEntry*> entries(static_cast<std::size_t>(rows.Count()));
    for (int row = 0; row < rows.Count(); ++row) {
        entries[static_cast<std::size_t>(row)] = &rows.Entry(row);
    }
    for (const std::size_t row : MarkSharedArchives(entries)) {
        rows.UpdateRowTexts(static_cast<int>(row));
    }
}

}  // namespace bh
