#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace bh {

class ManagerList;

// Encodes the rows' entries in display order as a manager file, a chunk at a time, so that a
// save streams the file through one reused buffer instead of holding all of it. The chunks
// joined are exactly EncodeManager's bytes. The rows must not change while it runs.
class ManagerEncoder {
  public:
    static constexpr std::size_t kChunkBytes = std::size_t{1} << 20;

    // `afterRow` (may be empty) is called once per row encoded. A chunk ends at the first row
    // boundary at or beyond `chunkBytes`.
    explicit ManagerEncoder(const ManagerList& rows, std::function<void()> afterRow = {},
                            std::size_t chunkBytes = kChunkBytes);

    // Appends the next chunk to `chunk`; returns whether more follow.
    bool Next(std::string& chunk);

  private:
    const ManagerList& rows_;
    std::function<void()> afterRow_;
    std::size_t chunkBytes_;
    int next_ = -1;  // -1 until the header is written
};

}  // namespace bh
