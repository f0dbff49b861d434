#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/ports/ErrorCode.h"

namespace bh {

class Clock;
class FileSystem;

// The folder beside each archive where a backup keeps the archives it replaced.
inline constexpr const char* kVersionsFolderName = ".versions";

// One kept version of an archive.
struct KeptVersion {
    std::string path;
    // The archive's last-write time as its name carries it: "2026-12-08 14-03-11" (local).
    std::string timeText;
    std::int64_t lastWriteSeconds = 0;
    std::uint64_t size = 0;
    int counter = 1;  // its k among the versions of one second
};

// The versions folder of an archive: its folder + ".versions" + the separator it uses.
std::string VersionsFolderOf(const std::string& archivePath);

// "YYYY-MM-DD HH-MM-SS" of a time in local time (no ':' so that every file system takes it);
// empty when the time cannot be represented.
std::string VersionTimeText(const Clock& clock, std::int64_t seconds);

// A time as a user may type it ("2026-12-08 14:03:11", "2026-12-08T14:03:11") in the form
// version names carry ("2026-12-08 14-03-11").
std::string VersionTimeFromUser(std::string_view text);

// The name of a version: the archive's name with " (TIME)" before its extension, and "[k]"
// after it for the k-th version of one second (k > 1; numbers only grow, see Keep), e.g. "report
// (2026-12-08 14-03-11).doc".
std::string VersionFileName(const std::string& archiveName, const std::string& timeText, int k);

// The archive name a version's name was made from, and its time text; false for a name that
// is not a version's.
// `counter` (may be null) receives its k, 1 for a name without "[k]".
bool ParseVersionFileName(const std::string& versionName, std::string& archiveName,
                          std::string& timeText, int* counter = nullptr);

// Keeps the versions of archives: moves an archive into its versions folder before a backup
// replaces it, lists them and removes the oldest beyond a count. A versions folder is listed
// once and then followed as this object changes it, so that a run over thousands of archives
// in one folder lists it once.
class KeptVersions {
  public:
    KeptVersions(FileSystem& fileSystem, const Clock& clock);

    // The archive's versions, newest first (by last-write time, then name). None, and no
    // error, when its versions folder does not exist.
    ErrorCode List(const std::string& archivePath, std::vector<KeptVersion>& versions);

    // Moves the archive (never a copy of it) into its versions folder under its time name,
    // creating the folder. `versionPath` is where it went; empty, with kNoError, when there is
    // nothing worth keeping: no archive, or an empty one (as Add creates). On failure the
    // archive stays where it was.
    ErrorCode Keep(const std::string& archivePath, std::string& versionPath);

    // Moves a version back over a missing archive (after the copy that was to replace it
    // failed). The version stays when an archive is there again.
    ErrorCode PutBack(const std::string& versionPath, const std::string& archivePath);

    // Removes the archive's versions beyond the newest `keep`, oldest first. Returns the
    // first failure; the others are still tried.
    ErrorCode Prune(const std::string& archivePath, int keep);

  private:
    // One versions folder: the names of its versions by the archive name they came from.
    struct Folder {
        std::unordered_map<std::string, std::vector<std::string>> byArchive;
        bool made = false;  // created (or found) by this object
    };

    ErrorCode Load(const std::string& folderPath, Folder*& folder);

    FileSystem& fileSystem_;
    const Clock& clock_;
    std::unordered_map<std::string, Folder> folders_;
};

}  // namespace bh
