#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/document/ManagerReadStatus.h"
#include "core/ports/ErrorCode.h"
#include "core/ports/FileReader.h"

namespace bh {

// Reads a manager file's fields (little-endian integers and strings) from the front of its
// bytes, never past their end: either bytes held in memory or a file read in parts, of which it
// keeps only the part at hand. The file's size bounds every length, as for bytes in memory.
class ManagerFieldReader {
  public:
    explicit ManagerFieldReader(std::string_view bytes);
    // Reads `file` in parts of at least `partSize` bytes; the file must outlive the reader.
    ManagerFieldReader(FileReader& file, std::size_t partSize);

    std::uint64_t Remaining() const { return size_ - (base_ + pos_); }
    std::uint64_t Size() const { return size_; }

    ManagerReadStatus ReadUint(int size, std::uint32_t& value);
    // Strings in the wide-text form (0xFF 0xFFFE, a length in characters, UTF-16LE) are
    // converted to UTF-8; an unpaired surrogate becomes U+FFFD.
    ManagerReadStatus ReadString(std::string& out);
    // The next `size` bytes without reading past them (at most Remaining()).
    ManagerReadStatus Peek(std::size_t size, std::string_view& out);

    // The file's error after ReadFailed.
    ErrorCode ReadError() const { return readError_; }

  private:
    ManagerReadStatus ReadLength(std::uint32_t& length, bool& wide, bool markerAllowed);
    // Makes `size` bytes from the current position available in window_.
    ManagerReadStatus Ensure(std::size_t size);

    FileReader* file_ = nullptr;
    std::size_t partSize_ = 0;
    std::string part_;         // the bytes read from the file and not yet passed
    std::string_view window_;  // the bytes at hand: part_, or all of them in memory
    std::uint64_t base_ = 0;   // offset in the file of window_'s first byte
    std::size_t pos_ = 0;      // position in window_
    std::uint64_t size_ = 0;
    ErrorCode readError_;
};

}  // namespace bh
