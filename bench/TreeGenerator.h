#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/document/ManagerFileFormat.h"

namespace bh::bench {

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it on destruction.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& tag);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

// Ends the benchmark run with status 2 after removing every scratch folder still there.
[[noreturn]] void EndRun();

// What a generated tree holds: sources in nested folders below `sourceFolder`, archives flat
// in the manager's folder (or, mirrored, in the same nested folders below `archiveFolder`),
// and a manager file listing them.
struct GeneratedTree {
    std::string managerPath;
    std::string sourceFolder;
    std::string archiveFolder;
    std::vector<ManagerRecord> records;
    std::size_t upToDate = 0;
    std::size_t outOfDate = 0;
    std::size_t missingArchives = 0;
    std::size_t missingSources = 0;
};

struct TreeOptions {
    std::size_t entries = 0;
    // Size of every file; 0 gives sizes from 1 to 1024 bytes.
    std::size_t fileBytes = 0;
    // Every archive older than its source (for the copy benchmarks).
    bool allOutOfDate = false;
    // Every archive a copy of its source, size and time (for the no-op benchmarks).
    bool allUpToDate = false;
    // Archives below their own root with the sources' relative paths, the manager beside both
    // roots, so that `rsync -a SOURCES/ ARCHIVES/` does the same work as a backup.
    bool mirrored = false;
    // Records only, no files (for benchmarks that never look at the disk).
    bool recordsOnly = false;
    std::string prefix = "f";
};

// Makes the tree under `root` and writes its manager file. Of every 20 entries, 9 are up to
// date, 8 out of date (older archive, or another size), 2 have no archive and 1 has no
// source. Returns false (with a message on stderr) when the disk refused.
bool GenerateTree(const std::string& root, const TreeOptions& options, GeneratedTree& tree);

// Writes `count` files of 1 to 1024 bytes, all in `folder` (the layout `add` gives
// the archives: flat in the manager's folder). Returns their paths, empty when the disk refused.
std::vector<std::string> MakeFlatFiles(const std::string& folder, std::size_t count);

// Writes each source, then its archive, one path a line: what the stat loop reads.
bool WritePathList(const std::vector<ManagerRecord>& records, const std::string& path);
// Sets the last-write time of every file; false when one refused.
bool TouchFiles(const std::vector<std::string>& paths, std::int64_t mtime);
bool TouchSources(const std::vector<ManagerRecord>& records, std::int64_t mtime);
// Cuts every file to zero bytes; false when one refused.
bool EmptyFiles(const std::vector<std::string>& paths);

// Writes a file of `bytes` bytes (a repeating pattern) with the given last-write time.
bool WriteFile(const std::string& path, std::size_t bytes, std::int64_t mtime);
// Sets access and last-write times.
bool SetFileTime(const std::string& path, std::int64_t mtime);
bool MakeFolder(const std::string& path);
// Removes a tree of files and folders (like rm -rf); false when something stayed.
bool RemoveTree(const std::string& path);

}  // namespace bh::bench
