#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "core/base/Settings.h"
#include "platform/memory/MemorySettingsStore.h"

using namespace bh;

// Users' stored settings keep working only while every section, name, type and default
// stays as they were written.
TEST(SettingsTableTest, KeepsTheStoredSectionsNamesTypesAndDefaults) {
    struct Stored {
        const char* section;
        const char* name;
        SettingType type;
        std::int32_t intDefault;
        const char* stringDefault;
    };
    constexpr SettingType kInt = SettingType::Int;
    constexpr SettingType kString = SettingType::String;
    const Stored stored[] = {
        {"Settings", "nFontPtSize", kInt, 15, ""},
        {"Settings", "bGrayBar", kInt, 0, ""},
        {"Settings", "nDateFmt", kInt, 1, ""},
        {"Settings", "nAutoBackupTimeHr", kInt, 24, ""},
        {"Settings", "bShowIcons", kInt, 1, ""},
        {"Settings", "nColWidth%d", kInt, 0, ""},
        {"Settings", "bOpenMRU", kInt, 0, ""},
        {"Settings", "addDirStr", kString, 0, "./"},
        {"Settings", "backupDirStr", kString, 0, "./"},
        {"Main Window", "Rect", kString, 0, ""},
        {"Main Window", "max", kInt, 0, ""},
        {"Main Window", "icon", kInt, 0, ""},
        {"Brackenhold-Summary", "State", kString, 0, ""},
        {"Recent File List", "File%d", kString, 0, ""},
    };
    ASSERT_EQ(SettingsTable().size(), std::size(stored));
    for (std::size_t i = 0; i < std::size(stored); ++i) {
        const SettingRow& row = SettingsTable()[i];
        EXPECT_STREQ(row.section, stored[i].section) << i;
        EXPECT_STREQ(row.name, stored[i].name) << i;
        EXPECT_EQ(row.type, stored[i].type) << i;
        EXPECT_EQ(row.intDefault, stored[i].intDefault) << i;
        EXPECT_STREQ(row.stringDefault, stored[i].stringDefault) << i;
    }
}

TEST(SettingsTableTest, AccessorsUseTheRowsSectionNameKindAndDefault) {
    MemorySettingsStore store;
    EXPECT_EQ(ReadSetting(store, kSettingFontSize), 15);
    EXPECT_EQ(ReadSetting(store, kSettingAutoBackupHours), 24);
    EXPECT_EQ(ReadSetting(store, kSettingBackupFolder), "./");
    EXPECT_EQ(ReadSetting(store, kSettingAddFolder, "/home/ann/"), "/home/ann/");
    EXPECT_EQ(ReadSetting(store, ColumnLayoutSetting(3), 3 * 65536 + 80), 3 * 65536 + 80);

    WriteSetting(store, kSettingFontSize, 20);
    WriteSetting(store, kSettingWindowRect, "0010 0020 0810 0620");
    WriteSetting(store, ColumnLayoutSetting(0), 150);
    WriteSetting(store, ColumnLayoutSetting(11), 7);
    WriteSetting(store, RecentFileSetting(0), "/m/a.bak");
    WriteSetting(store, RecentFileSetting(3), "/m/d.bak");
    EXPECT_TRUE(store.IsInt("Settings", "nFontPtSize"));
    EXPECT_TRUE(store.IsString("Main Window", "Rect"));
    EXPECT_TRUE(store.IsInt("Settings", "nColWidth0"));
    EXPECT_TRUE(store.IsInt("Settings", "nColWidth11"));
    EXPECT_TRUE(store.IsString("Recent File List", "File1"));
    EXPECT_TRUE(store.IsString("Recent File List", "File4"));
    EXPECT_EQ(ReadSetting(store, kSettingFontSize), 20);
    EXPECT_EQ(ReadSetting(store, ColumnLayoutSetting(11), 0), 7);
    EXPECT_EQ(ReadSetting(store, RecentFileSetting(3)), "/m/d.bak");
    EXPECT_EQ(SettingName(ColumnLayoutSetting(11)), "nColWidth11");
    EXPECT_EQ(SettingName(RecentFileSetting(0)), "File1");
}
