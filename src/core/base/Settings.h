#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/ports/SettingsStore.h"

namespace bh {

// Every value the program keeps in the per-user settings, one row each. The section, name,
// type and default are those users' stored settings were written with: changing one loses
// what they stored.
enum class SettingType { Int, String };

struct SettingRow {
    const char* section;
    // A family of values (one per column, one per recent file) has a name pattern with one
    // %d for its index.
    const char* name;
    SettingType type;
    std::int32_t intDefault;
    const char* stringDefault;
    // When the program reads and writes the value.
    const char* read;
    const char* written;
};

// The rows in table order.
enum class SettingId : int {
    FontSize,
    GrayBar,
    DateMode,
    AutoBackupHours,
    ShowIcons,
    ColumnLayout,
    OpenMostRecent,
    AddFolder,
    BackupFolder,
    WindowRect,
    WindowMaximized,
    WindowMinimized,
    ToolbarState,
    RecentFile,
    Count,
};

std::span<const SettingRow> SettingsTable();
const SettingRow& SettingRowOf(SettingId id);

// A value of the table, typed by its row. `index` picks one value of a family.
struct IntSetting {
    SettingId id;
    int index = -1;
};
struct StringSetting {
    SettingId id;
    int index = -1;
};

inline constexpr IntSetting kSettingFontSize{SettingId::FontSize};
inline constexpr IntSetting kSettingGrayBar{SettingId::GrayBar};
inline constexpr IntSetting kSettingDateMode{SettingId::DateMode};
inline constexpr IntSetting kSettingAutoBackupHours{SettingId::AutoBackupHours};
inline constexpr IntSetting kSettingShowIcons{SettingId::ShowIcons};
inline constexpr IntSetting kSettingOpenMostRecent{SettingId::OpenMostRecent};
inline constexpr StringSetting kSettingAddFolder{SettingId::AddFolder};
inline constexpr StringSetting kSettingBackupFolder{SettingId::BackupFolder};
inline constexpr StringSetting kSettingWindowRect{SettingId::WindowRect};
inline constexpr IntSetting kSettingWindowMaximized{SettingId::WindowMaximized};
inline constexpr IntSetting kSettingWindowMinimized{SettingId::WindowMinimized};
inline constexpr StringSetting kSettingToolbarState{SettingId::ToolbarState};

// The layout value of a list column (width and the column shown at that position).
IntSetting ColumnLayoutSetting(int column);
// Recent file slot 0, 1, ... (stored from 1 up).
StringSetting RecentFileSetting(int slot);

std::string SettingSection(SettingId id);
// The value's stored name, the family's index filled in.
std::string SettingName(IntSetting setting);
std::string SettingName(StringSetting setting);

// Reads with the table's default, or with one the caller works out (the column layouts
// measure their default; the document has its own start folder).
std::int32_t ReadSetting(SettingsStore& store, IntSetting setting);
std::int32_t ReadSetting(SettingsStore& store, IntSetting setting, std::int32_t defaultValue);
std::string ReadSetting(SettingsStore& store, StringSetting setting);
std::string ReadSetting(SettingsStore& store, StringSetting setting,
                        const std::string& defaultValue);
void WriteSetting(SettingsStore& store, IntSetting setting, std::int32_t value);
void WriteSetting(SettingsStore& store, StringSetting setting, const std::string& value);

}  // namespace bh
