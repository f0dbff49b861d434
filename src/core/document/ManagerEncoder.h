#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace bh {

class ManagerList;

// Encodes the rows' entries in display order as a manager file, a part at a time, so that a
// save streams the file through one reused buffer instead of holding all of it. The parts
// joined are exactly EncodeManager's bytes. The rows must not change while it runs.
class ManagerEncoder {
  public:
    static constexpr std::size_t kPartBytes = std::size_t{1} << 20;

    // `afterRow` (may be empty) is called once per row encoded. A part ends at the first row
    // boundary at or beyond `partBytes`.
    explicit ManagerEncoder(const ManagerList& rows, std::function<void()> afterRow = {},
                            std::size_t partBytes = kPartBytes);

    // Appends the next part to `chunk`; returns whether more parts follow.
    bool Next(std::string& chunk);

  private:
    const ManagerList& rows_;
    std::function<void()> afterRow_;
    std::size_t partBytes_;
    int next_ = -1;  // -1 until the header is written
};

}  // namespace bh
