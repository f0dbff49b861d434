#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "core/ports/SystemErrors.h"

namespace bh {

// System error texts from a map. It starts with the Linux texts of a few errno values
// (0, 2, 5, 8, 12, 13, 17, 20, 21, 22, 28, 30, 36); unknown codes give an empty text.
class FakeSystemErrors : public SystemErrors {
  public:
    FakeSystemErrors();
    std::string MessageText(ErrorCode code) const override;

    void Set(ErrorCode code, const std::string& text) { texts_[code.Value()] = text; }
    void Clear() { texts_.clear(); }

  private:
    std::map<std::uint32_t, std::string> texts_;
};

}  // namespace bh
