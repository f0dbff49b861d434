#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace bh {

class FileSystem;
class ManagerList;

// The files that must survive the deletion of archives: every entry's source (sources are
// never touched) and the archives of the entries that keep them. Each is known by its comparable
// path and, where it exists, by its identity as the file system reports it now (an entry's
// own identity may be stale), so that another spelling of the same file is recognised.
class FilesInUse {
  public:
    // `archiveGoes` has one flag per row: set for the entries whose archive may go.
    FilesInUse(FileSystem& fileSystem, const ManagerList& rows,
               const std::vector<bool>& archiveGoes);

    // Whether deleting `path` would destroy a file that is in use.
    bool Contains(const std::string& path);

  private:
    using Identity = std::pair<std::uint64_t, std::uint64_t>;
    struct IdentityHash {
        std::size_t operator()(const Identity& id) const;
    };

    void Add(const std::string& path);

    FileSystem& fileSystem_;
    std::unordered_set<std::string> paths_;
    std::unordered_set<Identity, IdentityHash> identities_;
};

}  // namespace bh
