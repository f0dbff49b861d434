#pragma once

#include <string>

#include "core/ports/SettingsStore.h"

namespace bh {

// The settings in the registry: one key per section under HKEY_CURRENT_USER\<root>, integers
// as REG_DWORD and strings as REG_SZ, as the desktop program has always kept them.
class RegistrySettingsStore : public SettingsStore {
  public:
    static constexpr const char* kDefaultRoot = "Software\\Tallowmere\\Brackenhold";
    explicit RegistrySettingsStore(std::string root = kDefaultRoot);

    std::int32_t GetInt(const std::string& section, const std::string& name,
                        std::int32_t defaultValue) override;
    std::string GetString(const std::string& section, const std::string& name,
                          const std::string& defaultValue) override;
    void WriteInt(const std::string& section, const std::string& name, std::int32_t value) override;
    void WriteString(const std::string& section, const std::string& name,
                     const std::string& value) override;

    const std::string& root() const { return root_; }

  private:
    std::wstring KeyPath(const std::string& section) const;
    std::string root_;
};

}  // namespace bh
