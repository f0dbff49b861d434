#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "core/ports/SettingsStore.h"

namespace bh {

// Settings in a map keyed by (section, name). Integers and strings are separate kinds, as
// in the registry: reading a value of the other kind gives the default.
class MemorySettingsStore : public SettingsStore {
  public:
    std::int32_t GetInt(const std::string& section, const std::string& name,
                        std::int32_t defaultValue) override;
    std::string GetString(const std::string& section, const std::string& name,
                          const std::string& defaultValue) override;
    void WriteInt(const std::string& section, const std::string& name, std::int32_t value) override;
    void WriteString(const std::string& section, const std::string& name,
                     const std::string& value) override;

    bool Has(const std::string& section, const std::string& name) const;
    bool IsInt(const std::string& section, const std::string& name) const;
    bool IsString(const std::string& section, const std::string& name) const;
    void Erase(const std::string& section, const std::string& name);
    void Clear() { values_.clear(); }
    int WriteCount() const { return writes_; }

  private:
    struct Value {
        bool isInt = false;
        std::int32_t number = 0;
        std::string text;
    };
    std::map<std::pair<std::string, std::string>, Value> values_;
    int writes_ = 0;
};

}  // namespace bh
