#include "core/view/Sorting.h"

#include <gtest/gtest.h>

#include <array>

#include "ViewTestEntries.h"
#include "platform/memory/FixedClock.h"

namespace bh {
namespace {

// Three entries whose key in every column rises from the second to the first to the third,
// with letter case and sign chosen so that a case-sensitive or wrongly signed comparison
// gives another order.
class SortingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CFileEntry& mid = entries_.MakeFound("M:\\Mid\\Beta.Doc", 2000, 2000);
        mid.archivePath = "M:\\arc";
        mid.lastError = 5;
        mid.timeDiff = 10;
        mid.notes = "mid";
        mid.typeName = "mid";
        CFileEntry& low = entries_.MakeFound("d:\\Low\\alpha.bak", 100, -100);
        low.archivePath = "a:\\arc";
        low.lastError = 0;
        low.timeDiff = -7200;
        low.notes = "Low";
        low.typeName = "Low";
        CFileEntry& high = entries_.MakeFound("Z:\\Top\\Gamma.txt", 3000000000u, 3000);
        high.archivePath = "Z:\\arc";
        high.lastError = 0x80000001u;
        high.timeDiff = 100000;
        high.notes = "top";
        high.typeName = "Top";
        byKey_ = {&low, &mid, &high};
        for (CFileEntry* entry : {&mid, &low, &high}) {
            entries_.MoveTo(rows_, *entry);
        }
    }

    std::array<CFileEntry*, 3> Shown() const {
        return {&rows_.Entry(0), &rows_.Entry(1), &rows_.Entry(2)};
    }

    test::ViewEntries entries_;
    FixedClock clock_{10000};
    ManagerList rows_{clock_};
    std::array<CFileEntry*, 3> byKey_{};  // smallest key first
};

TEST_F(SortingTest, EveryColumnsFirstClickOrderAndItsReversal) {
    const std::array<CFileEntry*, 3> rising = byKey_;
    const std::array<CFileEntry*, 3> falling = {byKey_[2], byKey_[1], byKey_[0]};
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
    byKey_[1]->sourcePath = "D:\\Other\\x.txt";  // same drive as "d:\\Low\\alpha.bak"
    CColumnState state{0, kColumnDrive, 1};
    ASSERT_TRUE(SortRowsByColumn(rows_, state));
    // Rows before the sort: mid (now D:), low (d:), high (Z:); equal drives keep their order.
    EXPECT_EQ(Shown(), (std::array<CFileEntry*, 3>{byKey_[1], byKey_[0], byKey_[2]}));
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

}  // namespace
}  // namespace bh
