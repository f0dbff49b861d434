#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/ports/FileSystem.h"

namespace bh {

// The operations of a MemoryFileSystem as they appear in its call log, in injected faults
// and in the before-call hook. CopyRead, CopyWrite and CopyRename are the steps of a copy:
// reading the source, writing the temporary file, renaming it over the destination. When the
// source's size, last-write time or content changed between the CopyRead step and the end of
// the CopyWrite step (a before-call hook at CopyWrite that calls SetContent or SetLastWriteNs
// on it), the attempt is dropped and the copy starts again at CopyRead, three attempts in all
// as on the real file systems; then it fails with kErrorSourceChanged. A file put in the
// source's place (AddFile) or erased during an attempt is like a file renamed over or
// unlinked while open on POSIX: the attempt goes on with the file it opened.
enum class FsOperation {
    GetAttributes,
    Lookup,
    Copy,
    CopyRead,
    CopyWrite,
    CopyRename,
    Remove,
    CreateEmpty,
    ReadAll,
    WriteAtomically,
    IsSameFile,
    ListFolder,
    CreateFolders,
    Move,
};

// A failure to inject. It hits calls of `operation` whose path contains `pathSubstring`
// (empty: every path). For CopyRead the path is the source; for CopyWrite and CopyRename
// it is the destination. CopyWrite and WriteAtomically fail after `afterBytes` bytes were
// written (the disk filled up at that byte). `count` is how many calls fail, -1 for all.
struct FaultPoint {
    FsOperation operation = FsOperation::GetAttributes;
    std::string pathSubstring;
    ErrorCode error{5};  // EIO
    std::uint64_t afterBytes = 0;
    int count = -1;
};

// One call through the FileSystem interface (`second` is the other path of Copy and
// IsSameFile).
struct FsCall {
    FsOperation operation;
    std::string path;
    std::string second;
};

// An in-memory file system for tests. Paths use '/' or '\\' (both separate); "." parts and
// repeated separators are ignored and ".." steps up, so two spellings of one path name the
// same file. Letter case matters. A file can be created only in an existing folder. The
// test helpers (Add..., Exists, Content, Erase...) are neither logged nor hooked.
// GetAttributes reports device 1 and an inode number of each file's own, never reused: the
// names AddLink gives share it, and a copy or atomic write over a path makes a new file.
class MemoryFileSystem : public FileSystem {
  public:
    MemoryFileSystem();
    ~MemoryFileSystem() override;

    // FileSystem
    ErrorCode GetAttributes(const std::string& path, FileAttributes& out) override;
    PathKind Lookup(const std::string& path) override;
    ErrorCode Copy(const std::string& from, const std::string& to, bool failIfExists) override;
    ErrorCode Remove(const std::string& path) override;
    ErrorCode CreateEmpty(const std::string& path) override;
    ErrorCode ReadAll(const std::string& path, std::string& bytes) override;
    ErrorCode WriteAtomicallyFrom(const std::string& path, const ChunkSource& source) override;
    ErrorCode ListFolder(const std::string& folder, std::vector<FolderItem>& items) override;
    ErrorCode CreateFolders(const std::string& path) override;
    ErrorCode MoveWithoutReplacing(const std::string& from, const std::string& to) override;
    bool IsSameFile(const std::string& a, const std::string& b) override;
    std::size_t PathLimitBytes() const override;
    ErrorCode PathTooLongError() const override;
    // Keeps the sample for PlannedPaths; the answer stays one query at a time.
    void PlanQueries(const std::vector<std::string>& samplePaths) override {
        plannedPaths_ = samplePaths;
    }

    // Test set-up. Missing parent folders are created; an existing file is replaced.
    void AddFile(const std::string& path, const std::string& content,
                 std::int64_t lastWriteSeconds = 0);
    // A file that reports `size` bytes without holding them (for sizes beyond 4 GiB).
    void AddFileOfSize(const std::string& path, std::uint64_t size,
                       std::int64_t lastWriteSeconds = 0);
    void AddFolder(const std::string& path);
    // A second name for the same file, as a hard link gives it.
    void AddLink(const std::string& existingPath, const std::string& newPath);
    // Something that is not a regular file (ItemKind Link or Other, as ListFolder reports
    // it); every other call treats it as an empty file.
    void AddSpecial(const std::string& path, ItemKind kind);
    // Removes a file or a folder with everything in it; no fault or hook applies.
    void Erase(const std::string& path);

    // Test inspection. Content of a missing path is empty; LastWrite is whole seconds
    // truncated toward zero, 0 for a missing path.
    bool Exists(const std::string& path) const;
    bool IsFolder(const std::string& path) const;
    std::string Content(const std::string& path) const;
    std::uint64_t Size(const std::string& path) const;
    std::int64_t LastWrite(const std::string& path) const;
    std::int64_t LastWriteNs(const std::string& path) const;
    std::int64_t LastAccessNs(const std::string& path) const;
    unsigned Mode(const std::string& path) const;
    void SetLastWrite(const std::string& path, std::int64_t seconds);
    void SetLastWriteNs(const std::string& path, std::int64_t nanoseconds);
    void SetLastAccessNs(const std::string& path, std::int64_t nanoseconds);
    void SetMode(const std::string& path, unsigned mode);
    void SetContent(const std::string& path, const std::string& content);
    // Every file (not folder) in the normalised spelling ('/' separators), sorted.
    std::vector<std::string> Paths() const;

    // Files under `pathPrefix` (empty: all) keep times only in steps of `seconds`, as FAT
    // keeps 2 s; a copy's time there is rounded up to the next kept time.
    void SetTimeGranularity(std::int64_t seconds, const std::string& pathPrefix = "");
    // The last-write time CreateEmpty and WriteAtomically give (default 0).
    void SetNow(std::int64_t seconds) { nowNs_ = seconds * 1000000000; }

    void InjectFailure(const FaultPoint& fault);
    void ClearFailures();
    // Runs at the start of every interface call and before every step of a copy, with the
    // operation and its (first) path; it may change the files (Erase, AddFile...).
    void SetBeforeCall(std::function<void(FsOperation, const std::string&)> hook);

    const std::vector<FsCall>& Calls() const { return calls_; }
    // Interface calls of `operation` whose path contains `pathSubstring`.
    int CountCalls(FsOperation operation, const std::string& pathSubstring = "") const;
    void ClearCalls() { calls_.clear(); }
    // The sample of the last PlanQueries.
    const std::vector<std::string>& PlannedPaths() const { return plannedPaths_; }

    // The normalised spelling of a path, as Paths() lists it.
    static std::string Normalize(const std::string& path);

  private:
    std::vector<std::string> plannedPaths_;
    struct Node;
    struct Fault;

    static std::shared_ptr<Node> MakeNode(PathKind kind);

    std::shared_ptr<Node> Find(const std::string& path) const;
    std::shared_ptr<Node> FindKey(const std::string& key) const;
    ErrorCode ParentError(const std::string& key) const;
    void MakeFolders(const std::string& key);
    // The first matching fault that triggers for a write of `bytes` bytes; it is used up.
    const Fault* TakeFault(FsOperation operation, const std::string& path, std::uint64_t bytes = 0);
    void Enter(FsOperation operation, const std::string& path, const std::string& second = "");
    void Hook(FsOperation operation, const std::string& path);
    std::int64_t KeptTime(const std::string& key, std::int64_t ns) const;
    std::string TempKey(const std::string& key);
    ErrorCode CopySteps(const std::string& from, const std::string& to, bool failIfExists);
    ErrorCode CopyAttempt(const std::string& from, const std::string& to, bool failIfExists);

    std::map<std::string, std::shared_ptr<Node>> nodes_;
    std::vector<Fault> faults_;
    std::vector<std::pair<std::string, std::int64_t>> granularity_;
    std::function<void(FsOperation, const std::string&)> beforeCall_;
    std::vector<FsCall> calls_;
    unsigned tempCounter_ = 0;
    std::int64_t nowNs_ = 0;
};

}  // namespace bh
