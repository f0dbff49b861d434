#include "core/view/Summaries.h"

#include <gtest/gtest.h>

#include "ViewTestEntries.h"
#include "core/base/CommandIds.h"
#include "platform/memory/FixedClock.h"

namespace bh {
namespace {

class SummariesTest : public ::testing::Test {
  protected:
    CFileEntry& Add(std::uint32_t size, EntryState state) {
        CFileEntry& entry = entries_.MakeFound("C:\\f.txt", size, 100);
        entry.SetState(state);
        entries_.MoveTo(rows_, entry);
        return entry;
    }

    std::string SizeText() const { return TotalSizePaneText(ComputeSummary(rows_)); }

    test::ViewEntries entries_;
    FixedClock clock_;
    ManagerList rows_{clock_};
};

TEST_F(SummariesTest, AnEmptyManager) {
    const Summary summary = ComputeSummary(rows_);
    EXPECT_EQ(PaneText(summary, kPaneFiles), "\t0 Files");
    EXPECT_EQ(PaneText(summary, kPaneTotalSize), "\t0 B");
    EXPECT_EQ(PaneText(summary, kPaneObsolete), "\tAll Backed Up");
    EXPECT_EQ(PaneText(summary, kPaneProblems), "\tNo Problems");
    EXPECT_EQ(PaneText(summary, 105), "");
}

TEST_F(SummariesTest, TotalSizeUnitsRoundAtEachThreshold) {
    Add(999, EntryState::UpToDate);
    EXPECT_EQ(SizeText(), "\t999 B");
    rows_.Entry(0).sourceSize = 1000;
    EXPECT_EQ(SizeText(), "\t1 KB");
    rows_.Entry(0).sourceSize = 1999;  // rounded, unlike the Size column
    EXPECT_EQ(SizeText(), "\t2 KB");
    rows_.Entry(0).sourceSize = 2500000;
    EXPECT_EQ(SizeText(), "\t2 MB");
    rows_.Entry(0).sourceSize = 4294967295u;
    EXPECT_EQ(SizeText(), "\t4 GB");
    // Sums beyond 32 bits do not wrap, and large totals stay in GB.
    for (int i = 0; i < 1200; ++i) {
        Add(4000000000u, EntryState::UpToDate);
    }
    EXPECT_EQ(SizeText(), "\t4804 GB");
}

TEST_F(SummariesTest, CountsByStatusColour) {
    Add(10, EntryState::OutOfDate);
    Add(10, EntryState::OutOfDate);
    Add(10, EntryState::UpToDate);
    CFileEntry& missing = entries_.Make("C:\\gone.txt");  // evaluated on an empty disk
    entries_.MoveTo(rows_, missing);
    ASSERT_EQ(missing.textColor, kColorProblem);

    const Summary summary = ComputeSummary(rows_);
    EXPECT_EQ(summary.files, 4);
    EXPECT_EQ(summary.totalSize, 30);
    EXPECT_EQ(FilesPaneText(summary), "\t4 Files");
    EXPECT_EQ(ObsoletePaneText(summary), "\t2 Obselete");
    EXPECT_EQ(ProblemsPaneText(summary), "\t1 Problems");
}

TEST_F(SummariesTest, KeptCurrentByAddAndRemove) {
    CFileEntry& red = Add(500, EntryState::Problem);
    CFileEntry& black = Add(700, EntryState::OutOfDate);
    Summary summary;
    summary.Add(red);
    summary.Add(black);
    summary.Remove(red);
    rows_.RemoveRows({true, false});
    const Summary fresh = ComputeSummary(rows_);
    EXPECT_EQ(summary.files, fresh.files);
    EXPECT_EQ(summary.totalSize, fresh.totalSize);
    EXPECT_EQ(summary.obsolete, 1);
    EXPECT_EQ(summary.problems, 0);
}

}  // namespace
}  // namespace bh
