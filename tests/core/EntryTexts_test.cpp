#include "core/view/EntryTexts.h"

#include <gtest/gtest.h>

#include "ViewTestEntries.h"
#include "platform/memory/FixedClock.h"

namespace bh {
namespace {

TEST(FormatAge, TakesTheFirstUnitWhoseBoundTheCountStaysBelow) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, "0 sec"},         {59, "59 sec"},       {60, "1 min"},           {3599, "59 min"},
        {3600, "1 hour"},     {86399, "23 hour"},   {86400, "1 day"},        {604799, "6 day"},
        {604800, "1 week"},   {2591999, "4 week"},  {2592000, "1 month"},    {31535999, "12 month"},
        {31536000, "1 year"}, {-7200, "-7200 sec"}, {2147483647, "68 year"},
    };
    for (const auto& [seconds, text] : cases) {
        EXPECT_EQ(FormatAge(seconds), text) << seconds;
    }
}

TEST(DateText, FormatsEachModeInLocalTimeAndNothingOutsideTheModes) {
    test::ViewEntries entries;
    // 2010-12-31 23:59:59 local time, one hour east of UTC.
    const std::int32_t localEndOf2010 = 1293839999 - 3600;
    CFileEntry& entry = entries.MakeFound("C:\\a.txt", 1, localEndOf2010);
    FixedClock clock(localEndOf2010 + 3 * 86400 + 5, 3600);

    EXPECT_EQ(GetDateText(entry, 0, clock), "31-12-2010 23:59:59");
    EXPECT_EQ(GetDateText(entry, 1, clock), "12/31/2010 11:59:59 PM");
    EXPECT_EQ(GetDateText(entry, 2, clock), "2010-12-31 23:59:59");
    EXPECT_EQ(GetDateText(entry, 3, clock), "3 day");
    EXPECT_EQ(GetDateText(entry, 4, clock), "");
    EXPECT_EQ(GetDateText(entry, -1, clock), "");

    // The morning gives AM and a 12-hour clock.
    entry.sourceTime = 1293840000 + 9 * 3600 - 3600;  // 2011-01-01 09:00:00 local
    EXPECT_EQ(GetDateText(entry, 1, clock), "01/01/2011 09:00:00 AM");

    // The age is measured against the time given, not the clock's.
    EXPECT_EQ(GetDateTextAt(entry, 3, clock, entry.sourceTime + 7200), "2 hour");

    entry.sourceTime = 0;
    for (std::int32_t mode = 0; mode < 4; ++mode) {
        EXPECT_EQ(GetDateText(entry, mode, clock), "") << mode;
    }
}

TEST(DateText, ModeMenuTexts) {
    EXPECT_EQ(DateModeMenuText(0), "DD / MM / YYYY");
    EXPECT_EQ(DateModeMenuText(1), "MM / DD / YYYY");
    EXPECT_EQ(DateModeMenuText(2), "YYYY / MM / DD");
    EXPECT_EQ(DateModeMenuText(3), "Age");
    EXPECT_EQ(DateModeMenuText(4), "");
    EXPECT_EQ(DateModeMenuText(-1), "");
}

TEST(SizeText, StepsByThousandsAndTruncates) {
    test::ViewEntries entries;
    CFileEntry& entry = entries.MakeFound("C:\\a.txt", 0, 100);
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0, "0 B"},        {999, "999 B"},        {1000, "1 KB"},       {1999, "1 KB"},
        {1999999, "1 MB"}, {999999999, "999 MB"}, {1000000000, "1 GB"}, {4294967295u, "4 GB"},
    };
    for (const auto& [size, text] : cases) {
        entry.sourceSize = size;
        EXPECT_EQ(GetSizeText(entry), text) << size;
    }
    entry.sourceTime = 0;
    EXPECT_EQ(GetSizeText(entry), "");
    entry.sourceTime = -5;
    EXPECT_EQ(GetSizeText(entry), "");
}

TEST(ObsoleteText, NeedsAFoundSourceAndANonEmptyArchive) {
    test::ViewEntries entries;
    CFileEntry& entry = entries.MakeFound("C:\\a.txt", 10, 100);
    entry.archiveSize = 10;
    entry.timeDiff = 0;
    EXPECT_EQ(GetObsoleteText(entry), "0 sec");
    entry.timeDiff = 90000;
    EXPECT_EQ(GetObsoleteText(entry), "1 day");
    entry.timeDiff = -7200;
    EXPECT_EQ(GetObsoleteText(entry), "-7200 sec");

    entry.archiveSize = 0;
    EXPECT_EQ(GetObsoleteText(entry), "");

    entry.archiveSize = 10;
    entry.sourceTime = 0;
    EXPECT_EQ(GetObsoleteText(entry), "");
}

TEST(PathTexts, NameAndTypeSplitAtTheLastFullStop) {
    test::ViewEntries entries;
    CFileEntry& report = entries.Make("C:\\Work\\report");
    EXPECT_EQ(GetNameText(report), "report");
    EXPECT_EQ(GetTypeText(report), "");

    CFileEntry& tarball = entries.Make("/home/ann/archive.tar.gz");
    EXPECT_EQ(GetNameText(tarball), "archive.tar");
    EXPECT_EQ(GetTypeText(tarball), "gz");

    // A full stop in a folder name is no extension.
    CFileEntry& dotted = entries.Make("C:\\my.dir\\readme");
    EXPECT_EQ(GetNameText(dotted), "readme");
    EXPECT_EQ(GetTypeText(dotted), "");

    CFileEntry& trailingDot = entries.Make("C:\\a.");
    EXPECT_EQ(GetNameText(trailingDot), "a");
    EXPECT_EQ(GetTypeText(trailingDot), "");
}

TEST(PathTexts, FolderAndDriveOfWindowsAndLinuxPaths) {
    struct Case {
        const char* path;
        const char* folder;
        const char* drive;
    };
    const Case cases[] = {
        {"C:\\Work\\Docs\\a.txt", "Docs", "C:\\"},
        {"C:\\Work\\a.txt", "Work", "C:\\"},
        {"C:\\a.txt", "", "C:\\"},
        {"\\\\server\\share\\a.txt", "share", "\\\\server\\"},
        {"\\\\server\\share\\Sub\\a.txt", "Sub", "\\\\server\\"},
        {"/home/ann/Docs/a.txt", "Docs", "/home/"},
        {"/a.txt", "", ""},
        {"C:/Work/Docs/a.txt", "Docs", "C:/"},
        {"Docs\\a.txt", "Docs", "Docs\\"},
        {"a.txt", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FolderTextOf(c.path), c.folder) << c.path;
        EXPECT_EQ(DriveTextOf(c.path), c.drive) << c.path;
    }

    // Path texts do not depend on the source being found.
    test::ViewEntries entries;
    CFileEntry& missing = entries.Make("C:\\Work\\Docs\\a.txt");
    ASSERT_LE(missing.sourceTime, 0);
    EXPECT_EQ(GetFolderText(missing), "Docs");
    EXPECT_EQ(GetDriveText(missing), "C:\\");
    EXPECT_EQ(GetNameText(missing), "a");
    EXPECT_EQ(GetTypeText(missing), "txt");
}

}  // namespace
}  // namespace bh
