#include "core/view/Sorting.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "ViewTestEntries.h"
#include "platform/memory/FixedClock.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/RecordingShell.h"

namespace bh {
namespace {

// Three entries whose key in every column rises from the second to the first to the third,
// with letter case and sign chosen so that a case-sensitive or wrongly signed comparison
// gives another order.
std::shared_ptr<const ShellFileInfo> TypeNamed(const std::string& typeName) {
    return std::make_shared<const ShellFileInfo>(ShellFileInfo{nullptr, typeName});
}

class SortingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CFileEntry& mid = entries_.MakeFound("M:\\Mid\\Beta.Doc", 2000, 2000);
        mid.archivePath = "M:\\arc";
        mid.lastError = 5;
        mid.timeDiff = 10;
        mid.notes = "mid";
        mid.fileType = TypeNamed("mid");
        CFileEntry& low = entries_.MakeFound("d:\\Low\\alpha.bak", 100, -100);
        low.archivePath = "a:\\arc";
        low.lastError = 0;
        low.timeDiff = -7200;
        low.notes = "Low";
        low.fileType = TypeNamed("Low");
        CFileEntry& high = entries_.MakeFound("Z:\\Top\\Gamma.txt", 3000000000u, 3000);
        high.archivePath = "Z:\\arc";
        high.lastError = 0x80000001u;
        high.timeDiff = 100000;
        high.notes = "top";
        high.fileType = TypeNamed("Top");
        byKey_ = {&low, &mid, &high};
        for (CFileEntry* entry : {&mid, &low, &high}) {
            entries_.MoveTo(rows_, *entry);
        }
    }

    std::array<const CFileEntry*, 3> Shown() const {
        return {&rows_.Entry(0), &rows_.Entry(1), &rows_.Entry(2)};
    }

    test::ViewEntries entries_;
    FixedClock clock_{10000};
    ManagerList rows_{clock_};
    std::array<const CFileEntry*, 3> byKey_{};  // smallest key first
};

TEST_F(SortingTest, EveryColumnsFirstClickOrderAndItsReversal) {
    const std::array<const CFileEntry*, 3> rising = byKey_;
    const std::array<const CFileEntry*, 3> falling = {byKey_[2], byKey_[1], byKey_[0]};
    for (int column = 0; column < kColumnCount; ++column) {
        const bool newestFirst =
            column == kColumnLastModified || column == kColumnObsolete || column == kColumnNotes;
        CColumnState state{0, column, 1};
        ASSERT_TRUE(SortRowsByColumn(rows_, state));
        EXPECT_EQ(state.sortFlag, 1);
        EXPECT_EQ(Shown(), newestFirst ? falling : rising) << "first click, column " << column;
        ASSERT_TRUE(SortRowsByColumn(rows_, state));
        EXPECT_EQ(state.sortFlag, 0);
        EXPECT_EQ(Shown(), newestFirst ? rising : falling) << "second click, column " << column;
    }
}

TEST_F(SortingTest, DriveColumnFoldsCaseAndKeepsEqualKeysInPlace) {
    rows_.Entry(0).sourcePath = "D:\\Other\\x.txt";  // mid: the drive of "d:\\Low\\alpha.bak"
    CColumnState state{0, kColumnDrive, 1};
    ASSERT_TRUE(SortRowsByColumn(rows_, state));
    // Rows before the sort: mid (now D:), low (d:), high (Z:); equal drives keep their order.
    EXPECT_EQ(Shown(), (std::array<const CFileEntry*, 3>{byKey_[1], byKey_[0], byKey_[2]}));
}

TEST_F(SortingTest, EachColumnKeepsItsOwnDirection) {
    std::array<CColumnState, kColumnCount> columns{};
    for (int column = 0; column < kColumnCount; ++column) {
        columns[column].column = column;
    }
    SortRowsByColumn(rows_, columns[kColumnName]);
    SortRowsByColumn(rows_, columns[kColumnName]);
    ASSERT_EQ(Shown()[0], byKey_[2]);
    SortRowsByColumn(rows_, columns[kColumnSize]);
    EXPECT_EQ(Shown(), byKey_);  // smallest first, whatever Name's flag is
    EXPECT_EQ(columns[kColumnName].sortFlag, 0);
    EXPECT_EQ(columns[kColumnSize].sortFlag, 1);
}

TEST_F(SortingTest, SelectionTravelsWithTheSortedRows) {
    rows_.SetSelected(2, true);  // high
    CColumnState state{0, kColumnSize, 1};
    SortRowsByColumn(rows_, state);
    SortRowsByColumn(rows_, state);  // largest first
    EXPECT_TRUE(rows_.IsSelected(0));
    EXPECT_EQ(&rows_.Entry(0), byKey_[2]);
    EXPECT_EQ(rows_.SelectedCount(), 1);
    EXPECT_EQ(rows_.NextSelected(0), -1);
}

TEST(Sorting, AnEmptyListIsNotSorted) {
    FixedClock clock;
    ManagerList rows(clock);
    CColumnState state{0, kColumnName, 1};
    EXPECT_FALSE(SortRowsByColumn(rows, state));
    EXPECT_EQ(state.sortFlag, 0);
}

TEST(Sorting, ManyRowsComeOutOrdered) {
    test::ViewEntries entries;
    FixedClock clock;
    ManagerList rows(clock);
    const int count = 5000;
    for (int i = 0; i < count; ++i) {
        // A permutation of 0..count-1 (7919 is prime to 5000).
        const auto size = static_cast<std::uint32_t>((i * 7919) % count);
        entries.MoveTo(rows, entries.MakeFound("C:\\f" + std::to_string(i), size, 1));
    }
    CColumnState state{0, kColumnSize, 1};
    ASSERT_TRUE(SortRowsByColumn(rows, state));
    for (int row = 0; row < count; ++row) {
        ASSERT_EQ(rows.Entry(row).sourceSize, static_cast<std::uint32_t>(row));
    }
}

// Sort keys are kept between clicks: every way an entry changes in the list (an evaluation
// through the list, a change announced with UpdateRowTexts, an edit of a cell, rows added and
// removed) must reach the next sort, which orders by the new keys as a fresh list would.
TEST(Sorting, SortsAfterChangesUseTheNewKeys) {
    MemoryFileSystem disk;
    RecordingShell shell;
    FixedClock clock;
    ManagerList rows(clock);
    const auto add = [&](const std::string& name, std::size_t size, int row = -1) {
        disk.AddFile("/src/" + name, std::string(size, 'x'), 100);
        auto entry = std::make_unique<CFileEntry>("/src/" + name, "/arc/" + name, "", shell, disk);
        rows.Insert(row < 0 ? rows.Count() : row, std::move(entry));
    };
    // Reading through the const list, so that the reading itself does not mark rows changed.
    const ManagerList& shownRows = rows;
    const auto names = [&shownRows] {
        std::string shown;
        for (int row = 0; row < shownRows.Count(); ++row) {
            shown += shownRows.Entry(row).sourcePath.substr(5);
        }
        return shown;
    };
    const auto rowOf = [&shownRows](const std::string& name) {
        for (int row = 0; row < shownRows.Count(); ++row) {
            if (shownRows.Entry(row).sourcePath == "/src/" + name) {
                return row;
            }
        }
        return -1;
    };
    add("a", 30);
    add("b", 10);
    add("c", 20);
    add("d", 40);
    CColumnState size{0, kColumnSize, 0};
    ASSERT_TRUE(SortRowsByColumn(rows, size));
    EXPECT_EQ(names(), "bcad");

    // An evaluation that found another size, as a refresh makes it.
    disk.SetContent("/src/a", "x");
    rows.Entry(rowOf("a")).EvaluateStatus(disk);
    size.sortFlag = 0;
    ASSERT_TRUE(SortRowsByColumn(rows, size));
    EXPECT_EQ(names(), "abcd");

    // A change made through a reference taken before the sort, then announced, as a copy
    // loop does it.
    CFileEntry& d = rows.Entry(rowOf("d"));
    CColumnState name{0, kColumnName, 0};
    ASSERT_TRUE(SortRowsByColumn(rows, name));
    disk.SetContent("/src/d", "");
    d.EvaluateStatus(disk);
    rows.UpdateRowTexts(rowOf("d"));
    size.sortFlag = 0;
    ASSERT_TRUE(SortRowsByColumn(rows, size));
    EXPECT_EQ(names(), "dabc");

    // Notes edited, a row inserted in the middle and another removed.
    rows.Entry(rowOf("b")).notes = "Zebra";
    rows.UpdateCell(rowOf("b"), kColumnNotes);
    add("e", 15, 1);
    std::vector<bool> remove(static_cast<std::size_t>(rows.Count()), false);
    remove[static_cast<std::size_t>(rowOf("c"))] = true;
    rows.RemoveRows(remove);
    size.sortFlag = 0;
    ASSERT_TRUE(SortRowsByColumn(rows, size));
    EXPECT_EQ(names(), "dabe");
    CColumnState notes{0, kColumnNotes, 0};
    ASSERT_TRUE(SortRowsByColumn(rows, notes));
    EXPECT_EQ(names().substr(0, 1), "b") << "notes sort the largest first";
    EXPECT_EQ(SortedRowOrder(rows, kColumnSize, 1),
              (std::vector<int>{rowOf("d"), rowOf("a"), rowOf("b"), rowOf("e")}));
}

}  // namespace
}  // namespace bh
