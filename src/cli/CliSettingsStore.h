#pragma once

#include "core/ports/SettingsStore.h"

namespace bh::cli {

// The command-line program keeps no settings: every read gives its default and writes are
// dropped, so running it never changes the desktop program's folders.
class CliSettingsStore : public SettingsStore {
  public:
    std::int32_t GetInt(const std::string&, const std::string&, std::int32_t value) override {
        return value;
    }
    std::string GetString(const std::string&, const std::string&,
                          const std::string& value) override {
        return value;
    }
    void WriteInt(const std::string&, const std::string&, std::int32_t) override {}
    void WriteString(const std::string&, const std::string&, const std::string&) override {}
};

}  // namespace bh::cli
