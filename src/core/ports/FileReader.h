#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "core/ports/ErrorCode.h"

namespace bh {

// A file opened for reading in parts. It reads the file that was open when it was made, even
// when another program replaces the path meanwhile, so that several passes see one version.
class FileReader {
  public:
    virtual ~FileReader() = default;

    // The file's size when it was opened.
    virtual std::uint64_t Size() const = 0;

    // Replaces `bytes` by up to `size` bytes from `offset`; fewer only at the end of the file.
    virtual ErrorCode ReadAt(std::uint64_t offset, std::size_t size, std::string& bytes) = 0;
};

// A reader over bytes already in memory, for file systems that read whole files only.
class StringFileReader : public FileReader {
  public:
    explicit StringFileReader(std::string bytes) : bytes_(std::move(bytes)) {}

    std::uint64_t Size() const override { return bytes_.size(); }

    ErrorCode ReadAt(std::uint64_t offset, std::size_t size, std::string& bytes) override {
        bytes.clear();
        if (offset < bytes_.size()) {
            bytes.assign(bytes_, static_cast<std::size_t>(offset), size);
        }
        return kNoError;
    }

  private:
    std::string bytes_;
};

}  // namespace bh
