#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "core/ports/FileSystem.h"

namespace bh {

// The file system of Windows through its ANSI calls; error codes are GetLastError values.
// Copies and saves go through a temporary file in the destination's folder that is flushed
// and moved into place, so a failure or a power cut never damages the previous file.
class Win32FileSystem : public FileSystem {
  public:
    ErrorCode GetAttributes(const std::string& path, FileAttributes& out) override;
    // The attribute calls keep no state and the last error is per thread. What helps is the
    // limit: the cores on a local drive (1 means no pool), 8 on a network drive or share,
    // which answers each query after a round trip; PlanQueries decides from the sample of the
    // manager's paths (the cores until it is told).
    int ConcurrentQueries() const override { return queryThreads_; }
    void PlanQueries(const std::vector<std::string>& samplePaths) override;
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

    // For tests only: called in every attempt of a copy after the data was copied and before
    // the source is examined again, with the source path, so that a test can change the
    // source while it is being copied.
    void SetAfterDataCopyForTests(std::function<void(const std::string& from)> hook) {
        afterDataCopy_ = std::move(hook);
    }

  protected:
    // Writes all of `size` bytes at the file's current position; returns the error code
    // (0 on success). Every byte that copies and saves write passes through here.
    virtual DWORD WriteChunk(HANDLE file, const char* data, DWORD size);

  private:
    DWORD WriteAll(HANDLE file, const std::string& bytes);
    DWORD CopyData(HANDLE in, HANDLE out);
    DWORD CopyOnce(const std::string& from, const std::string& to, bool failIfExists);

    std::function<void(const std::string&)> afterDataCopy_;
    int queryThreads_ = LocalQueryThreads();

    static int LocalQueryThreads();
};

}  // namespace bh
