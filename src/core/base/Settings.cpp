#include "core/base/Settings.h"

#include <array>

namespace bh {

namespace {

constexpr const char* kSettings = "Settings";
constexpr const char* kMainWindow = "Main Window";
// The toolbar's place and visibility are kept under the application's name.
constexpr const char* kToolbar = "Brackenhold-Summary";
constexpr const char* kRecentFiles = "Recent File List";

constexpr SettingType kInt = SettingType::Int;
constexpr SettingType kString = SettingType::String;

constexpr std::array<SettingRow, static_cast<std::size_t>(SettingId::Count)> kRows{{
    {kSettings, "nFontPtSize", kInt, 15, "", "start-up: toolbar set and list font", "exit"},
    {kSettings, "bGrayBar", kInt, 0, "", "start-up, when the list is built", "exit"},
    {kSettings, "nDateFmt", kInt, 1, "", "start-up, when the list is built", "exit"},
    {kSettings, "nAutoBackupTimeHr", kInt, 24, "", "start-up, when the list is built", "exit"},
    {kSettings, "bShowIcons", kInt, 1, "", "start-up, when the list is built", "exit"},
    // Default: column * 65536 + twice the header text's width in the list font.
    {kSettings, "nColWidth%d", kInt, 0, "", "start-up, when the list is built", "exit"},
    {kSettings, "bOpenMRU", kInt, 0, "", "start-up", "exit"},
    // Default: the document's start folder ("./" unless the front end names another).
    {kSettings, "addDirStr", kString, 0, "./", "document created", "document destroyed"},
    {kSettings, "backupDirStr", kString, 0, "./", "document created", "document destroyed"},
    {kMainWindow, "Rect", kString, 0, "", "first activation of the window", "exit"},
    {kMainWindow, "max", kInt, 0, "", "first activation of the window", "exit"},
    {kMainWindow, "icon", kInt, 0, "", "first activation of the window", "exit"},
    {kToolbar, "State", kString, 0, "", "first activation of the window", "exit"},
    // Slots 1 to 4; an empty value is an unused slot.
    {kRecentFiles, "File%d", kString, 0, "", "start-up", "exit (every slot)"},
}};

constexpr bool HasType(SettingId id, SettingType type) {
    return kRows[static_cast<std::size_t>(id)].type == type;
}
static_assert(HasType(kSettingFontSize.id, kInt) && HasType(kSettingGrayBar.id, kInt) &&
              HasType(kSettingDateMode.id, kInt) && HasType(kSettingAutoBackupHours.id, kInt) &&
              HasType(kSettingShowIcons.id, kInt) && HasType(SettingId::ColumnLayout, kInt) &&
              HasType(kSettingOpenMostRecent.id, kInt) && HasType(kSettingAddFolder.id, kString) &&
              HasType(kSettingBackupFolder.id, kString) &&
              HasType(kSettingWindowRect.id, kString) &&
              HasType(kSettingWindowMaximized.id, kInt) &&
              HasType(kSettingWindowMinimized.id, kInt) &&
              HasType(kSettingToolbarState.id, kString) && HasType(SettingId::RecentFile, kString));

// The family's pattern with its index; a plain name as it is.
std::string NameOf(SettingId id, int index) {
    std::string name = SettingRowOf(id).name;
    const std::size_t slot = name.find("%d");
    if (index >= 0 && slot != std::string::npos) {
        name.replace(slot, 2, std::to_string(index));
    }
    return name;
}

}  // namespace

std::span<const SettingRow> SettingsTable() {
    return kRows;
}

const SettingRow& SettingRowOf(SettingId id) {
    return kRows[static_cast<std::size_t>(id)];
}

IntSetting ColumnLayoutSetting(int column) {
    return IntSetting{SettingId::ColumnLayout, column};
}

StringSetting RecentFileSetting(int slot) {
    return StringSetting{SettingId::RecentFile, slot + 1};
}

std::string SettingSection(SettingId id) {
    return SettingRowOf(id).section;
}

std::string SettingName(IntSetting setting) {
    return NameOf(setting.id, setting.index);
}

std::string SettingName(StringSetting setting) {
    return NameOf(setting.id, setting.index);
}

std::int32_t ReadSetting(SettingsStore& store, IntSetting setting) {
    return ReadSetting(store, setting, SettingRowOf(setting.id).intDefault);
}

std::int32_t ReadSetting(SettingsStore& store, IntSetting setting, std::int32_t defaultValue) {
    return store.GetInt(SettingSection(setting.id), SettingName(setting), defaultValue);
}

std::string ReadSetting(SettingsStore& store, StringSetting setting) {
    return ReadSetting(store, setting, SettingRowOf(setting.id).stringDefault);
}

std::string ReadSetting(SettingsStore& store, StringSetting setting,
                        const std::string& defaultValue) {
    return store.GetString(SettingSection(setting.id), SettingName(setting), defaultValue);
}

void WriteSetting(SettingsStore& store, IntSetting setting, std::int32_t value) {
    store.WriteInt(SettingSection(setting.id), SettingName(setting), value);
}

void WriteSetting(SettingsStore& store, StringSetting setting, const std::string& value) {
    store.WriteString(SettingSection(setting.id), SettingName(setting), value);
}

}  // namespace bh
