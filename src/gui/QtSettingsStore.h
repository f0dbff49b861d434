#pragma once

#include <memory>
#include <string>

#include <QString>

#include "core/ports/SettingsStore.h"

class QSettings;

namespace bh {

// The settings store on QSettings: section = group, value name = key. Integers are stored
// as integers and strings as strings; a value of the wrong kind reads as the default.
class QtSettingsStore : public SettingsStore {
  public:
    // The per-user store of the program (organisation "Tallowmere", application
    // "Brackenhold") in the platform's native format.
    QtSettingsStore();
    // A store in the given INI file, for tests and portable use.
    explicit QtSettingsStore(const QString& iniFile);
    ~QtSettingsStore() override;

    std::int32_t GetInt(const std::string& section, const std::string& name,
                        std::int32_t defaultValue) override;
    std::string GetString(const std::string& section, const std::string& name,
                          const std::string& defaultValue) override;
    void WriteInt(const std::string& section, const std::string& name, std::int32_t value) override;
    void WriteString(const std::string& section, const std::string& name,
                     const std::string& value) override;

    // Writes pending changes to the storage.
    void Sync();
    QSettings& settings() { return *settings_; }

  private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace bh
