#include "core/view/Columns.h"

#include <gtest/gtest.h>

#include "core/view/EntryTexts.h"

#include "ViewTestEntries.h"
#include "platform/memory/FakeSystemErrors.h"
#include "platform/memory/FixedClock.h"

namespace bh {
namespace {

TEST(Columns, TextsAndCommandsFollowTheColumnIndex) {
    const char* const headers[] = {"Name",        "Type",         "Size",    "Last Modified",
                                   "Source Path", "Archive Path", "Results", "Obsolete",
                                   "Notes",       "Folder",       "Drive",   "Type Name"};
    for (int column = 0; column < kColumnCount; ++column) {
        EXPECT_EQ(ColumnHeaderText(column), headers[column]);
        EXPECT_EQ(ColumnMenuText(column), headers[column]);
        EXPECT_EQ(ColumnCommandId(column), 32778 + column);
        EXPECT_EQ(ColumnOfCommand(32778 + column), column);
    }
    EXPECT_EQ(ColumnHeaderText(kColumnCount), "");
    EXPECT_EQ(ColumnCommandId(-1), -1);
    EXPECT_EQ(ColumnOfCommand(32777), -1);
    EXPECT_EQ(ColumnOfCommand(32790), -1);
}

TEST(ResultsText, WordByResultThenTheTrimmedSystemMessage) {
    test::ViewEntries entries;
    FakeSystemErrors errors;
    errors.Set(ErrorCode(5), "Input/output error\r\n");
    CFileEntry& entry = entries.Make("C:\\a.txt");

    entry.lastError = 0;
    entry.result = kResultSourceFailed;
    EXPECT_EQ(ResultsText(entry, errors), "");

    entry.lastError = 5;
    entry.result = kResultOk;
    EXPECT_EQ(ResultsText(entry, errors), " Input/output error");
    entry.result = kResultSourceFailed;
    EXPECT_EQ(ResultsText(entry, errors), "source  Input/output error");
    entry.result = kResultArchiveFailed;
    EXPECT_EQ(ResultsText(entry, errors), "archive  Input/output error");

    // No text for the code: the word stays, without a number in its place.
    entry.lastError = 99999;
    EXPECT_EQ(ResultsText(entry, errors), "archive");
    entry.result = kResultOk;
    EXPECT_EQ(ResultsText(entry, errors), "");
}

TEST(CellText, EachColumnShowsItsTextAndAgeUsesTheTimeTheTextWasMade) {
    test::ViewEntries entries;
    FakeSystemErrors errors;
    FixedClock clock(5000000, 0);
    CFileEntry& entry = entries.MakeFound("C:\\Work\\Docs\\plan.txt", 2500, 1000000);
    entry.archivePath = "F:\\Backup\\plan.txt";
    entry.archiveSize = 2400;
    entry.timeDiff = 7200;
    entry.notes = "keep";
    entry.fileType = std::make_shared<const ShellFileInfo>(ShellFileInfo{nullptr, "Text Document"});
    entry.lastError = 2;
    entry.result = kResultArchiveFailed;

    const CellTextContext context{kDateModeAge, 1000000 + 120, clock, errors};
    const char* const expected[] = {" plan",
                                    "txt",
                                    "2 KB",
                                    "2 min",
                                    "C:\\Work\\Docs\\plan.txt",
                                    "F:\\Backup\\plan.txt",
                                    "archive  No such file or directory",
                                    "2 hour",
                                    "keep",
                                    "Docs",
                                    "C:\\",
                                    "Text Document"};
    for (int column = 0; column < kColumnCount; ++column) {
        EXPECT_EQ(MakeCellText(entry, column, context), expected[column]) << column;
    }
    EXPECT_EQ(MakeCellText(entry, kColumnCount, context), "");

    const CellTextContext calendar{kDateModeYearMonthDay, 0, clock, errors};
    EXPECT_EQ(MakeCellText(entry, kColumnLastModified, calendar), "1970-01-12 13:46:40");
}

TEST(ColumnLayout, PacksOrderAndWidthAndScalesWithTheFont) {
    const std::int32_t packed = PackColumnLayout(11, 200);
    EXPECT_EQ(packed, 11 * 65536 + 200);
    EXPECT_EQ(LayoutOrder(packed), 11);
    EXPECT_EQ(LayoutWidth(packed), 200);
    EXPECT_EQ(LayoutWidth(PackColumnLayout(3, 0)), 0);
    EXPECT_EQ(LayoutOrder(PackColumnLayout(3, 0)), 3);

    const TextWidthMeasure sevenPerLetter = [](const std::string& text) {
        return 7 * static_cast<int>(text.size());
    };
    EXPECT_EQ(DefaultColumnWidth(kColumnLastModified, sevenPerLetter), 2 * 7 * 13);
    EXPECT_EQ(DefaultColumnLayout(kColumnTypeName, sevenPerLetter), 11 * 65536 + 2 * 7 * 9);
    EXPECT_EQ(ColumnLayoutValueName(0), "nColWidth0");
    EXPECT_EQ(ColumnLayoutValueName(11), "nColWidth11");

    EXPECT_EQ(ScaleColumnWidth(100, 20, 15), 133);
    EXPECT_EQ(ScaleColumnWidth(133, 15, 20), 99);
    EXPECT_EQ(ScaleColumnWidth(0, 20, 15), 0);
    EXPECT_EQ(ShownColumnWidth(80), 100);
}

}  // namespace
}  // namespace bh
