#pragma once

#include <sys/types.h>

#include <string>

#include "core/ports/ErrorCode.h"
#include "platform/posix/PosixFileOps.h"

namespace bh::posix {

// Paths in folders that other people can write (a shared disk, a network folder) are walked
// here rather than by the system, so that a symbolic link another user planted, or a folder
// swapped for one, cannot send a read, write or removal outside the path the user named.

// A folder held open and the name of one entry in it, reached from then on with the *at
// calls: a folder renamed or replaced meanwhile can no longer redirect them.
struct HeldEntry {
    UniqueFd folder;
    std::string name;
};

// Whether a symbolic link owned by `owner` may be followed: the user's own and the system's
// (root's) may; one that another user made may have been planted, and is not.
bool IsTrustedLinkOwner(uid_t owner);

// What to do with a symbolic link as the last component.
enum class FinalLink {
    Keep,    // it is the entry (to be replaced or removed, never followed)
    Follow,  // followed as the folders are: the entry is what it leads to
};

// Walks the folders of `path` one component at a time, following a symbolic link only when
// IsTrustedLinkOwner, and holds the entry's folder open (for reading where the user may, so
// that it can be listed and flushed). The entry itself need not exist. kNoError, the
// system's code, or kErrorForeignLink when a link another user made is in the way.
ErrorCode HoldEntry(const std::string& path, FinalLink finalLink, HeldEntry& out);

}  // namespace bh::posix
