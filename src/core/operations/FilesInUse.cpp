#include "core/operations/FilesInUse.h"

#include "core/base/PathParts.h"
#include "core/document/ManagerList.h"
#include "core/ports/FileSystem.h"

namespace bh {

FilesInUse::FilesInUse(FileSystem& fileSystem, const ManagerList& rows,
                       const std::vector<bool>& archiveGoes)
    : fileSystem_(fileSystem) {
    for (int row = 0; row < rows.Count(); ++row) {
        const CFileEntry& entry = rows.Entry(row);
        Add(entry.sourcePath);
        if (!archiveGoes[static_cast<std::size_t>(row)]) {
            Add(entry.archivePath);
        }
    }
}

bool FilesInUse::Contains(const std::string& path) {
    if (paths_.contains(ComparablePath(path))) {
        return true;
    }
    FileAttributes attributes;
    return fileSystem_.GetAttributes(path, attributes) == kNoError && attributes.HasIdentity() &&
           identities_.contains({attributes.device, attributes.inode});
}

std::size_t FilesInUse::IdentityHash::operator()(const Identity& id) const {
    return std::hash<std::uint64_t>()(id.first * 0x9E3779B97F4A7C15ull ^ id.second);
}

void FilesInUse::Add(const std::string& path) {
    paths_.insert(ComparablePath(path));
    FileAttributes attributes;
    if (fileSystem_.GetAttributes(path, attributes) == kNoError && attributes.HasIdentity()) {
        identities_.insert({attributes.device, attributes.inode});
    }
}

}  // namespace bh
