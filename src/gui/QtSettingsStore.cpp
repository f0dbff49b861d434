#include "gui/QtSettingsStore.h"

#include <QSettings>

namespace bh {
namespace {

QString Key(const std::string& section, const std::string& name) {
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(name);
}

}  // namespace

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QStringLiteral("Tallowmere"),
                                            QStringLiteral("Brackenhold"))) {}

QtSettingsStore::QtSettingsStore(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

QtSettingsStore::~QtSettingsStore() {
    settings_->sync();
}

std::int32_t QtSettingsStore::GetInt(const std::string& section, const std::string& name,
                                     std::int32_t defaultValue) {
    const QVariant value = settings_->value(Key(section, name));
    if (!value.isValid())
        return defaultValue;
    bool ok = false;
    // INI files give every value back as text; a stored DWORD may exceed INT_MAX.
    const qlonglong number = value.toLongLong(&ok);
    if (!ok)
        return defaultValue;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(number));
}

std::string QtSettingsStore::GetString(const std::string& section, const std::string& name,
                                       const std::string& defaultValue) {
    const QVariant value = settings_->value(Key(section, name));
    if (!value.isValid())
        return defaultValue;
    return value.toString().toStdString();
}

void QtSettingsStore::WriteInt(const std::string& section, const std::string& name,
                               std::int32_t value) {
    settings_->setValue(Key(section, name), value);
}

void QtSettingsStore::WriteString(const std::string& section, const std::string& name,
                                  const std::string& value) {
    settings_->setValue(Key(section, name), QString::fromStdString(value));
}

void QtSettingsStore::Sync() {
    settings_->sync();
}

}  // namespace bh
