#pragma once

#include <cstdint>
#include <string>

namespace bh {

// Per-user sections of named integer and string values. Every read names its default,
// which is returned when the section or the value is absent. Writes never fail visibly.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual std::int32_t GetInt(const std::string& section, const std::string& name,
                                std::int32_t defaultValue) = 0;
    virtual std::string GetString(const std::string& section, const std::string& name,
                                  const std::string& defaultValue) = 0;
    virtual void WriteInt(const std::string& section, const std::string& name,
                          std::int32_t value) = 0;
    virtual void WriteString(const std::string& section, const std::string& name,
                             const std::string& value) = 0;
};

}  // namespace bh
