#include "core/operations/SharedArchives.h"

#include <string>
#include <unordered_map>

#include "core/app/ListRows.h"
#include "core/app/PathParts.h"
#include "core/document/FileEntry.h"

namespace bh {

// The two forms cannot collide: an identity key starts with a byte no path text starts with.
std::string FileKey(const FileIdentity& identity, const std::string& path) {
    if (!identity.Known()) {
        return FoldCase(path);
    }
    std::string key(1 + 2 * sizeof(std::uint64_t), '\0');
    for (std::size_t i = 0; i < sizeof(std::uint64_t); ++i) {
        key[1 + i] = static_cast<char>(identity.device >> (8 * i));
        key[1 + sizeof(std::uint64_t) + i] = static_cast<char>(identity.inode >> (8 * i));
    }
    return key;
}

namespace {

// The first source seen with an archive, and the first other source, if any.
struct ArchiveUse {
    const std::string* firstSource = nullptr;
    std::string firstSourceKey;
    const std::string* otherSource = nullptr;
};

void MarkShared(CFileEntry& entry, const std::string& otherSource) {
    entry.textColor = kColorProblem;
    entry.backColor = kColorWhite;
    entry.result = kResultArchiveFailed;
    entry.lastError = kErrorSharedArchive;
    entry.sharedWith = otherSource;
}

}  // namespace

std::vector<std::size_t> MarkSharedArchives(const std::vector<CFileEntry*>& entries) {
    std::unordered_map<std::string, ArchiveUse> uses;
    uses.reserve(entries.size());
    for (CFileEntry* entry : entries) {
        if (entry->result == kResultSourceFailed) {
            continue;
        }
        ArchiveUse& use = uses[FileKey(entry->archiveIdentity, entry->archivePath)];
        std::string sourceKey = FileKey(entry->sourceIdentity, entry->sourcePath);
        if (use.firstSource == nullptr) {
            use.firstSource = &entry->sourcePath;
            use.firstSourceKey = std::move(sourceKey);
        } else if (use.otherSource == nullptr && sourceKey != use.firstSourceKey) {
            use.otherSource = &entry->sourcePath;
        }
    }
    std::vector<std::size_t> marked;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        CFileEntry* entry = entries[i];
        if (entry->result == kResultSourceFailed) {
            continue;
        }
        const auto found = uses.find(FileKey(entry->archiveIdentity, entry->archivePath));
        if (found == uses.end() || found->second.otherSource == nullptr) {
            continue;
        }
        // Name a source other than this entry's own.
        const ArchiveUse& use = found->second;
        const bool isFirst =
            FileKey(entry->sourceIdentity, entry->sourcePath) == use.firstSourceKey;
        MarkShared(*entry, isFirst ? *use.otherSource : *use.firstSource);
        marked.push_back(i);
    }
    return marked;
}

void MarkSharedArchives(ListRows& rows) {
    std::vector<CFileEntry*> entries(static_cast<std::size_t>(rows.Count()));
    for (int row = 0; row < rows.Count(); ++row) {
        entries[static_cast<std::size_t>(row)] = &rows.Entry(row);
    }
    for (const std::size_t row : MarkSharedArchives(entries)) {
        rows.UpdateRowTexts(static_cast<int>(row));
    }
}

}  // namespace bh
