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

// What a generated tree holds: sources in nested folders, archives flat in the manager's
// folder, and a manager file listing them.
struct GeneratedTree {
    std::string managerPath;
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
    // Records only, no files (for benchmarks that never look at the disk).
    bool recordsOnly = false;
    std::string prefix = "f";
};

// Makes the tree under `root` and writes its manager file. Of every 20 entries, 9 are up to
// date, 8 out of date (older archive, or another size), 2 have no archive and 1 has no
// source. Returns false (with a message on stderr) when the disk refused.
bool GenerateTree(const std::string& root, const TreeOptions& options, GeneratedTree& tree);

// Writes a file of `bytes` bytes (a repeating pattern) with the given last-write time.
bool WriteFile(const std::string& path, std::size_t bytes, std::int64_t mtime);
// Sets access and last-write times.
bool SetFileTime(const std::string& path, std::int64_t mtime);
bool MakeFolder(const std::string& path);
// Removes a tree of files and folders (like rm -rf); false when something stayed.
bool RemoveTree(const std::string& path);

}  // namespace bh::bench
