#pragma once

#include "core/ports/FileSystem.h"

namespace bh {

// Forwards every call to another file system, so that a test can override one operation
// (count it, fail it, change the disk before it) and keep the others real. Every virtual
// method of FileSystem is forwarded, CopyBatch and ConcurrentQueries too: a wrapper that
// overrides Copy and wants batches to pass through it overrides CopyBatch as well, and one
// whose overrides are not safe on several threads says ConcurrentQueries 1.
class FileSystemWrapper : public FileSystem {
  public:
    explicit FileSystemWrapper(FileSystem& inner) : inner_(inner) {}

    ErrorCode GetAttributes(const std::string& path, FileAttributes& out) override {
        return inner_.GetAttributes(path, out);
    }
    int ConcurrentQueries() const override { return inner_.ConcurrentQueries(); }
    void PlanQueries(const std::vector<std::string>& samplePaths) override {
        inner_.PlanQueries(samplePaths);
    }
    PathKind Lookup(const std::string& path) override { return inner_.Lookup(path); }
    ErrorCode Copy(const std::string& from, const std::string& to, bool failIfExists) override {
        return inner_.Copy(from, to, failIfExists);
    }
    std::vector<ErrorCode> CopyBatch(const std::vector<CopyRequest>& requests) override {
        return inner_.CopyBatch(requests);
    }
    ErrorCode Remove(const std::string& path) override { return inner_.Remove(path); }
    ErrorCode CreateEmpty(const std::string& path) override { return inner_.CreateEmpty(path); }
    ErrorCode ReadAll(const std::string& path, std::string& bytes) override {
        return inner_.ReadAll(path, bytes);
    }
    ErrorCode OpenForReading(const std::string& path, std::unique_ptr<FileReader>& out) override {
        return inner_.OpenForReading(path, out);
    }
    ErrorCode WriteAtomicallyFrom(const std::string& path, const ChunkSource& source) override {
        return inner_.WriteAtomicallyFrom(path, source);
    }
    ErrorCode ListFolder(const std::string& folder, std::vector<FolderItem>& items) override {
        return inner_.ListFolder(folder, items);
    }
    ErrorCode CreateFolders(const std::string& path) override { return inner_.CreateFolders(path); }
    ErrorCode MoveWithoutReplacing(const std::string& from, const std::string& to) override {
        return inner_.MoveWithoutReplacing(from, to);
    }
    bool IsSameFile(const std::string& a, const std::string& b) override {
        return inner_.IsSameFile(a, b);
    }
    std::size_t PathLimitBytes() const override { return inner_.PathLimitBytes(); }
    ErrorCode PathTooLongError() const override { return inner_.PathTooLongError(); }

  protected:
    FileSystem& Inner() { return inner_; }

  private:
    FileSystem& inner_;
};

}  // namespace bh
