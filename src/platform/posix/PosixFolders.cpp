// The folder operations of the POSIX file system: listing, creating and moving into.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/PosixFileOps.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/TrustedPath.h"

namespace bh {

using posix::FinalLink;
using posix::HeldEntry;
using posix::UniqueFd;
using ItemKind = FileSystem::ItemKind;

namespace {

ItemKind KindOfMode(mode_t mode) {
    if (S_ISREG(mode)) {
        return ItemKind::File;
    }
    if (S_ISDIR(mode)) {
        return ItemKind::Folder;
    }
    return S_ISLNK(mode) ? ItemKind::Link : ItemKind::Other;
}

// The kind readdir reports, or one look at the entry itself where the file system does not
// report kinds.
ItemKind KindOfEntry(int folder, const dirent& entry) {
    switch (entry.d_type) {
        case DT_REG:
            return ItemKind::File;
        case DT_DIR:
            return ItemKind::Folder;
        case DT_LNK:
            return ItemKind::Link;
        case DT_UNKNOWN: {
            struct stat st {};
            if (::fstatat(folder, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
                return KindOfMode(st.st_mode);
            }
            return ItemKind::Other;  // gone meanwhile: nothing to take as a file
        }
        default:
            return ItemKind::Other;
    }
}

bool IsFolderAt(int folder, const char* name) {
    struct stat st {};
    return ::fstatat(folder, name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

ErrorCode PosixFileSystem::ListFolder(const std::string& folder, std::vector<FolderItem>& items) {
    items.clear();
    HeldEntry held;
    if (const ErrorCode code = posix::HoldEntry(folder, FinalLink::Follow, held); code) {
        return code;
    }
    const char* const name = held.name.empty() ? "." : held.name.c_str();
    UniqueFd fd(::openat(held.folder.Get(), name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.Valid()) {
        return ErrorCode(errno);
    }
    DIR* const listing = ::fdopendir(fd.Get());
    if (listing == nullptr) {
        return ErrorCode(errno);
    }
    fd.Release();  // closedir closes it
    errno = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string itemName = entry->d_name;
        if (itemName != "." && itemName != "..") {
            items.push_back({itemName, KindOfEntry(::dirfd(listing), *entry)});
        }
        errno = 0;
    }
    const int error = errno;
    ::closedir(listing);
    if (error != 0) {
        items.clear();
        return ErrorCode(error);
    }
    return kNoError;
}

ErrorCode PosixFileSystem::CreateFolders(const std::string& path) {
    // Each folder from the top down: mkdir of one whose parent is missing would fail.
    for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string part = path.substr(0, end);
        if (!part.empty() && ::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
            return ErrorCode(errno);
        }
        if (end == std::string::npos) {
            break;
        }
    }
    return IsFolderAt(AT_FDCWD, path.c_str()) ? kNoError : ErrorCode(EEXIST);
}

ErrorCode PosixFileSystem::MoveWithoutReplacing(const std::string& from, const std::string& to) {
    HeldEntry source;
    HeldEntry target;
    if (const ErrorCode code = posix::HoldEntry(from, FinalLink::Keep, source); code) {
        return code;
    }
    if (const ErrorCode code = posix::HoldEntry(to, FinalLink::Keep, target); code) {
        return code;
    }
    const int error = posix::RenameBetween(source.folder.Get(), source.name, target.folder.Get(),
                                           target.name, true);
    if (error != 0) {
        return ErrorCode(error);
    }
    posix::SyncFolder(target.folder.Get());
    posix::SyncFolder(source.folder.Get());
    return kNoError;
}

}  // namespace bh
