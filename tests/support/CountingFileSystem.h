#pragma once

#include <map>
#include <string>

#include "platform/memory/FileSystemWrapper.h"

namespace bh::test {

// Counts the attribute queries per path and forwards everything.
class CountingFileSystem : public FileSystemWrapper {
  public:
    using FileSystemWrapper::FileSystemWrapper;

    ErrorCode GetAttributes(const std::string& path, FileAttributes& out) override {
        ++queries_[path];
        return FileSystemWrapper::GetAttributes(path, out);
    }

    // The count is not kept for several threads.
    int ConcurrentQueries() const override { return 1; }

    int Queries(const std::string& path) const {
        const auto found = queries_.find(path);
        return found == queries_.end() ? 0 : found->second;
    }
    int TotalQueries() const {
        int total = 0;
        for (const auto& [path, count] : queries_) {
            total += count;
        }
        return total;
    }

  private:
    std::map<std::string, int> queries_;
};

}  // namespace bh::test
