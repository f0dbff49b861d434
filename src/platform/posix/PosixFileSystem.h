#pragma once

#include "core/app/FileSystem.h"

namespace bh {

// The file system of a POSIX system. Copies and saves go through a temporary file in the
// destination's folder that is renamed into place, so a failure never damages the
// previous file.
class PosixFileSystem : public FileSystem {
  public:
    ErrorCode GetAttributes(const std::string& path, FileAttributes& out) override;
    // stat keeps no state and the last error is per thread, so any number of threads may
    // ask; the limit is what helps on a folder that answers slowly (a network share).
    int ConcurrentQueries() const override { return 8; }
    PathKind Lookup(const std::string& path) override;
    ErrorCode Copy(const std::string& from, const std::string& to, bool failIfExists) override;
    ErrorCode Remove(const std::string& path) override;
    ErrorCode CreateEmpty(const std::string& path) override;
    ErrorCode ReadAll(const std::string& path, std::string& bytes) override;
    ErrorCode WriteAtomically(const std::string& path, const std::string& bytes) override;
    bool IsSameFile(const std::string& a, const std::string& b) override;
    std::size_t PathLimitBytes() const override;
    ErrorCode PathTooLongError() const override;
};

}  // namespace bh
