#pragma once

#include <string>
#include <vector>

namespace bh {

class FileSystem;
class SystemErrors;

// A path a folder walk left out or could not read, and why.
struct PathNote {
    std::string path;
    std::string reason;
};

// A regular file the walk found: its full path and the folder it lies in below the walked
// folder ("" at the top, else "a/b/" with the walked folder's separator).
struct FoundFile {
    std::string path;
    std::string relativeFolder;
};

struct FolderWalkRequest {
    std::string root;                        // the folder to walk, a full path
    std::vector<std::string> leaveOutFiles;  // files never taken (the manager's own)
    std::string leaveOutFolder;              // a folder never entered (where archives go)
};

struct FolderWalkResult {
    std::vector<FoundFile> files;   // depth first, each folder's names in byte order
    std::vector<PathNote> skipped;  // links, special files and what the request leaves out
    std::vector<PathNote> failed;   // folders that could not be listed, paths too long
};

inline constexpr const char* kLinkReason = "skipped: symbolic link, not followed";
inline constexpr const char* kSpecialReason = "skipped: not a regular file";
inline constexpr const char* kManagerFileReason = "skipped: the backup manager's own file";
inline constexpr const char* kArchiveFolderReason = "skipped: the archive folder, not entered";

// Lists every regular file below `request.root` without following symbolic links, in an
// order that is the same on every system. Folders are walked with an explicit stack, so a
// deep tree cannot exhaust the call stack.
FolderWalkResult WalkFolder(FileSystem& fileSystem, const SystemErrors& errors,
                            const FolderWalkRequest& request);

// The separator a path already uses ('\\' when it has only those), for joining names to it.
char SeparatorOf(const std::string& path);

// The path without trailing separators; a root ("/", "C:\\") keeps its own.
std::string WithoutTrailingSeparators(const std::string& path);

}  // namespace bh
