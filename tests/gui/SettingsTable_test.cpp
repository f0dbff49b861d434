#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <QTest>

#include "core/base/Settings.h"
#include "core/view/Columns.h"
#include "gui/BrackenholdApp.h"
#include "platform/memory/FakeSystemErrors.h"
#include "platform/memory/FixedClock.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemorySettingsStore.h"
#include "platform/memory/RecordingShell.h"
#include "platform/memory/ScriptedUserInterface.h"

using namespace bh;

namespace {

// Every value the program reads or writes, with the default it read with.
struct Access {
    bool write;
    SettingType type;
    std::string section;
    std::string name;
    std::int32_t intDefault = 0;
    std::string stringDefault;
};

class RecordingSettingsStore : public MemorySettingsStore {
  public:
    std::int32_t GetInt(const std::string& section, const std::string& name,
                        std::int32_t defaultValue) override {
        accesses.push_back({false, SettingType::Int, section, name, defaultValue, {}});
        return MemorySettingsStore::GetInt(section, name, defaultValue);
    }
    std::string GetString(const std::string& section, const std::string& name,
                          const std::string& defaultValue) override {
        accesses.push_back({false, SettingType::String, section, name, 0, defaultValue});
        return MemorySettingsStore::GetString(section, name, defaultValue);
    }
    void WriteInt(const std::string& section, const std::string& name,
                  std::int32_t value) override {
        accesses.push_back({true, SettingType::Int, section, name, 0, {}});
        MemorySettingsStore::WriteInt(section, name, value);
    }
    void WriteString(const std::string& section, const std::string& name,
                     const std::string& value) override {
        accesses.push_back({true, SettingType::String, section, name, 0, {}});
        MemorySettingsStore::WriteString(section, name, value);
    }
    std::vector<Access> accesses;
};

// The table row (and family index) whose section and name the access used.
std::optional<std::pair<SettingId, int>> RowOf(const Access& access) {
    for (int id = 0; id < static_cast<int>(SettingId::Count); ++id) {
        const auto setting = static_cast<SettingId>(id);
        if (SettingSection(setting) != access.section)
            continue;
        if (SettingName(IntSetting{setting}) == access.name)
            return std::make_pair(setting, -1);
        for (int index = 0; index < 64; ++index)
            if (SettingName(IntSetting{setting, index}) != SettingName(IntSetting{setting}) &&
                SettingName(IntSetting{setting, index}) == access.name)
                return std::make_pair(setting, index);
    }
    return std::nullopt;
}

}  // namespace

// The program's settings are the table's: starts and exits of the program read and write
// only values of the table, with its types and defaults, and every row of the table is read
// and written.
class SettingsTableTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void startAndExitUseExactlyTheTable() {
        MemoryFileSystem files;
        RecordingShell shell;
        RecordingSettingsStore settings;
        FixedClock clock(1'300'000'000);
        FakeSystemErrors errors;
        ScriptedUserInterface ui;
        // The second start finds the placement the first one stored, and reads all of it.
        for (int run = 0; run < 2; ++run) {
            BrackenholdApp app(AppPorts{files, shell, settings, clock, errors, &ui});
            app.Start({});
            QCoreApplication::processEvents();
            app.Exit();
        }
        QVERIFY(!settings.accesses.empty());

        const std::size_t rowCount = static_cast<std::size_t>(SettingId::Count);
        std::vector<bool> read(rowCount), written(rowCount);
        int fontSizeReads = 0;
        std::set<int> columnsRead, recentSlotsWritten;
        for (const Access& access : settings.accesses) {
            const auto found = RowOf(access);
            QVERIFY2(found.has_value(), (access.section + "/" + access.name).c_str());
            const SettingRow& row = SettingRowOf(found->first);
            QCOMPARE(static_cast<int>(access.type), static_cast<int>(row.type));
            const auto slot = static_cast<std::size_t>(found->first);
            (access.write ? written : read)[slot] = true;
            if (access.write && found->first == SettingId::RecentFile)
                recentSlotsWritten.insert(found->second);
            if (access.write)
                continue;
            if (found->first == SettingId::FontSize)
                ++fontSizeReads;
            if (found->first == SettingId::ColumnLayout) {
                columnsRead.insert(found->second);
                // Measured in the list font; the column's own index is shown at its place.
                QCOMPARE(LayoutOrder(access.intDefault), found->second);
                QVERIFY(LayoutWidth(access.intDefault) > 0);
            } else if (row.type == SettingType::Int) {
                QCOMPARE(access.intDefault, row.intDefault);
            } else {
                QCOMPARE(access.stringDefault, std::string(row.stringDefault));
            }
        }
        for (std::size_t slot = 0; slot < rowCount; ++slot) {
            const SettingRow& row = SettingsTable()[slot];
            QVERIFY2(read[slot], row.name);
            QVERIFY2(written[slot], row.name);
        }
        QCOMPARE(fontSizeReads, 2);  // once per start
        QCOMPARE(columnsRead.size(), std::size_t(kColumnCount));
        QCOMPARE(*columnsRead.begin(), 0);
        QCOMPARE(recentSlotsWritten, (std::set<int>{1, 2, 3, 4}));
    }
};

QTEST_MAIN(SettingsTableTest)
#include "SettingsTable_test.moc"
