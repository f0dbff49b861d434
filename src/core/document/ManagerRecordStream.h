#pragma once

#include <cstdint>

#include "core/document/ManagerFieldReader.h"
#include "core/document/ManagerFileFormat.h"

namespace bh {

// Reads a manager file's records one at a time, with the checks of DecodeManager (which reads
// through it): Start() reads the header and the count, Next() each record, and the record after
// the last one reports Trailing bytes. A failure is final: the reader is not used after it.
class ManagerRecordStream {
  public:
    explicit ManagerRecordStream(ManagerFieldReader& reader) : reader_(reader) {}

    ManagerReadStatus Start();
    std::uint32_t Count() const { return count_; }
    // Reads the next of the Count() records; after the last one, checks that nothing follows.
    ManagerReadStatus Next(ManagerRecord& record);
    bool AtEnd() const { return read_ == count_; }

  private:
    ManagerReadStatus ReadHeader();

    ManagerFieldReader& reader_;
    std::uint32_t count_ = 0;
    std::uint32_t read_ = 0;
};

}  // namespace bh
