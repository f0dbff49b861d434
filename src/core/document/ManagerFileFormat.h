#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/document/ManagerList.h"
#include "core/document/ManagerReadStatus.h"

namespace bh {

// The text of the string every manager file begins with.
inline constexpr std::string_view kManagerHeader = "Brackenhold Version 1";

// One entry as a manager file stores it.
struct ManagerRecord {
    std::string sourcePath;
    std::string archivePath;
    std::string notes;
};

struct ManagerReadResult {
    ManagerReadStatus status = ManagerReadStatus::Ok;
    std::vector<ManagerRecord> records;  // empty unless status is Ok
};

// Appends `text` in the file's string form: a 1-byte length (0-254), 0xFF + 16-bit length
// (255-65533), or 0xFF 0xFFFF + 32-bit length, then the bytes. Integers little-endian.
void AppendManagerString(std::string& out, std::string_view text);

// Appends what every manager file begins with: the header string and the entry count.
void AppendManagerHeader(std::string& out, std::uint32_t count);

// Builds a manager file: the header, the count, then three strings per record.
class ManagerWriter {
  public:
    explicit ManagerWriter(std::uint32_t count);
    void Add(std::string_view sourcePath, std::string_view archivePath, std::string_view notes);
    const std::string& Bytes() const { return bytes_; }
    // Hands the bytes over without a copy; the writer is empty afterwards.
    std::string TakeBytes() { return std::move(bytes_); }

  private:
    std::string bytes_;
};

// The bytes of a manager holding the rows' entries in display order. `afterRow` (may be
// empty) is called once per row written.
std::string EncodeManager(const ManagerList& rows, const std::function<void()>& afterRow = {});
std::string EncodeManager(const std::vector<ManagerRecord>& records);

// Parses a whole manager file. Never allocates more than the input's size suggests: a
// length or count that cannot fit in the remaining bytes is Corrupt. Strings in the
// wide-text form (0xFF 0xFFFE, a length in characters, UTF-16LE) are converted to UTF-8; an
// unpaired surrogate becomes U+FFFD. Bytes after the last record make it Trailing. A zero-length
// input is not a manager here: callers that treat it as an empty manager check first.
ManagerReadResult DecodeManager(std::string_view bytes);

// The reason shown after "Failed to open document." for a Truncated, Corrupt or Trailing file
// (a ReadFailed file shows its error's text instead).
std::string ManagerReadReason(ManagerReadStatus status);

}  // namespace bh
