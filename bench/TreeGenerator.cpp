#include "bench/TreeGenerator.h"

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace bh::bench {

namespace {

constexpr std::int64_t kBaseTime = 1700000000;
constexpr std::size_t kFilesPerFolder = 1000;
const char* const kExtensions[] = {".txt", ".doc", ".png", ".cpp", ".pdf", ".xls", ".dat", ".h"};

int RemoveOne(const char* path, const struct stat*, int, struct FTW*) {
    return ::remove(path);
}

// Every scratch folder made, so that EndRun can remove those still there; it skips the
// destructors. Never shrinks, so that no destructor touches it at exit.
std::set<std::string>& MadeFolders() {
    static std::set<std::string> folders;
    return folders;
}

void Complain(const std::string& what, const std::string& path) {
    std::fprintf(stderr, "bench: %s %s: %s\n", what.c_str(), path.c_str(), std::strerror(errno));
}

}  // namespace

ScratchFolder::ScratchFolder(const std::string& tag) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/bh-bench-" + tag + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        Complain("cannot create", pattern);
        EndRun();
    }
    path_ = pattern;
    MadeFolders().insert(path_);
}

ScratchFolder::~ScratchFolder() {
    RemoveTree(path_);
}

void EndRun() {
    for (const std::string& path : MadeFolders()) {
        RemoveTree(path);
    }
    std::fflush(stdout);
    std::_Exit(2);
}

bool RemoveTree(const std::string& path) {
    return ::nftw(path.c_str(), RemoveOne, 64, FTW_DEPTH | FTW_PHYS) == 0;
}

bool MakeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
        Complain("cannot create", path);
        return false;
    }
    return true;
}

bool SetFileTime(const std::string& path, std::int64_t mtime) {
    const timespec times[2] = {{static_cast<time_t>(mtime), 0}, {static_cast<time_t>(mtime), 0}};
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) {
        Complain("cannot set the times of", path);
        return false;
    }
    return true;
}

bool WriteFile(const std::string& path, std::size_t bytes, std::int64_t mtime) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        Complain("cannot create", path);
        return false;
    }
    static const std::string pattern = [] {
        std::string block(1 << 20, '\0');
        for (std::size_t i = 0; i < block.size(); ++i) {
            block[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
        }
        return block;
    }();
    std::size_t done = 0;
    while (done < bytes) {
        const std::size_t chunk = std::min(pattern.size(), bytes - done);
        const ssize_t n = ::write(fd, pattern.data(), chunk);
        if (n <= 0) {
            Complain("cannot write", path);
            ::close(fd);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    const timespec times[2] = {{static_cast<time_t>(mtime), 0}, {static_cast<time_t>(mtime), 0}};
    const bool ok = ::futimens(fd, times) == 0;
    return ::close(fd) == 0 && ok;
}

namespace {

// Name and size of file i: in no particular order, as a real manager's are; the multiplier
// is odd, so every name is different.
struct FileShape {
    std::string name;
    std::size_t bytes = 0;
    std::int64_t time = 0;
};

FileShape ShapeOf(std::size_t i, const TreeOptions& options) {
    const auto mixed = static_cast<std::uint32_t>(i * 2654435761u);
    char name[64];
    std::snprintf(name, sizeof name, "%s%08x%s", options.prefix.c_str(), mixed,
                  kExtensions[i % (sizeof kExtensions / sizeof kExtensions[0])]);
    return {name, options.fileBytes != 0 ? options.fileBytes : 1 + (mixed >> 8) % 1024,
            kBaseTime + static_cast<std::int64_t>(mixed % 2592000)};
}

std::string SubFolderName(std::size_t i) {
    char name[32];
    std::snprintf(name, sizeof name, "/d%04zu", i / kFilesPerFolder);
    return name;
}

// Writes the source and archive of one record as `kind` (see GenerateTree) says.
bool WriteRecordFiles(const ManagerRecord& record, const FileShape& shape, std::size_t kind) {
    if (kind == 19) {
        return WriteFile(record.archivePath, shape.bytes, shape.time);
    }
    if (!WriteFile(record.sourcePath, shape.bytes, shape.time)) {
        return false;
    }
    if (kind >= 17) {
        return true;
    }
    if (kind >= 9) {
        const bool older = kind % 2 == 0;
        return WriteFile(record.archivePath, older ? shape.bytes : shape.bytes / 2,
                         older ? shape.time - 3600 : shape.time);
    }
    return WriteFile(record.archivePath, shape.bytes, shape.time);
}

void Count(GeneratedTree& tree, std::size_t kind) {
    if (kind == 19) {
        ++tree.missingSources;
    } else if (kind >= 17) {
        ++tree.missingArchives;
    } else if (kind >= 9) {
        ++tree.outOfDate;
    } else {
        ++tree.upToDate;
    }
}

bool WriteManager(const GeneratedTree& tree) {
    const std::string bytes = EncodeManager(tree.records);
    const int fd = ::open(tree.managerPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        Complain("cannot create", tree.managerPath);
        return false;
    }
    const bool written =
        ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    return ::close(fd) == 0 && written;
}

}  // namespace

bool GenerateTree(const std::string& root, const TreeOptions& options, GeneratedTree& tree) {
    tree = GeneratedTree{};
    tree.sourceFolder = root + "/sources";
    tree.archiveFolder = root + "/archives";
    tree.managerPath = options.mirrored ? root + "/bench.bkm" : tree.archiveFolder + "/bench.bkm";
    if (!MakeFolder(root) || !MakeFolder(tree.sourceFolder) || !MakeFolder(tree.archiveFolder)) {
        return false;
    }
    tree.records.reserve(options.entries);
    std::string sub;
    for (std::size_t i = 0; i < options.entries; ++i) {
        if (i % kFilesPerFolder == 0) {
            sub = SubFolderName(i);
            if (!options.recordsOnly &&
                (!MakeFolder(tree.sourceFolder + sub) ||
                 (options.mirrored && !MakeFolder(tree.archiveFolder + sub)))) {
                return false;
            }
        }
        const FileShape shape = ShapeOf(i, options);
        ManagerRecord record;
        record.sourcePath = tree.sourceFolder + sub + "/" + shape.name;
        record.archivePath =
            tree.archiveFolder + (options.mirrored ? sub : std::string()) + "/" + shape.name;
        if (i % 3 == 0) {
            record.notes = "kept for the quarterly report";
        }
        const std::size_t kind = options.allOutOfDate ? 10 : options.allUpToDate ? 0 : i % 20;
        Count(tree, kind);
        if (!options.recordsOnly && !WriteRecordFiles(record, shape, kind)) {
            return false;
        }
        tree.records.push_back(std::move(record));
    }
    return WriteManager(tree);
}

std::vector<std::string> MakeFlatFiles(const std::string& folder, std::size_t count) {
    std::vector<std::string> paths;
    if (!MakeFolder(folder)) {
        return {};
    }
    const TreeOptions options;
    for (std::size_t i = 0; i < count; ++i) {
        const FileShape shape = ShapeOf(i, options);
        paths.push_back(folder + "/" + shape.name);
        if (!WriteFile(paths.back(), shape.bytes, shape.time)) {
            return {};
        }
    }
    return paths;
}

bool WritePathList(const std::vector<ManagerRecord>& records, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        Complain("cannot create", path);
        return false;
    }
    for (const ManagerRecord& record : records) {
        std::fprintf(file, "%s\n%s\n", record.sourcePath.c_str(), record.archivePath.c_str());
    }
    return std::fclose(file) == 0;
}

bool TouchFiles(const std::vector<std::string>& paths, std::int64_t mtime) {
    for (const std::string& path : paths) {
        if (!SetFileTime(path, mtime)) {
            return false;
        }
    }
    return true;
}

bool TouchSources(const std::vector<ManagerRecord>& records, std::int64_t mtime) {
    for (const ManagerRecord& record : records) {
        if (!SetFileTime(record.sourcePath, mtime)) {
            return false;
        }
    }
    return true;
}

bool EmptyFiles(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        if (::truncate(path.c_str(), 0) != 0) {
            Complain("cannot empty", path);
            return false;
        }
    }
    return true;
}

}  // namespace bh::bench
