#include "core/operations/BackupRun.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/document/ManagerFileFormat.h"
#include "core/ports/MessageBoxFlags.h"
#include "support/OperationsHarness.h"

namespace bh {
namespace {

using test::OperationsHarness;

const std::string kRule(42, '-');

std::vector<std::string> ProgressCaptions(const ScriptedUserInterface& ui) {
    std::vector<std::string> captions;
    for (const UiCall& call : ui.CallsOf(UiCallKind::ProgressCreate)) {
        captions.push_back(call.text);
    }
    return captions;
}

std::vector<std::string> SavedSources(const MemoryFileSystem& fs, const std::string& path) {
    std::vector<std::string> sources;
    for (const ManagerRecord& record : DecodeManager(fs.Content(path)).records) {
        sources.push_back(record.sourcePath);
    }
    return sources;
}

TEST(BackupReport, WordsNumbersAndRule) {
    BackupCounts one;
    one.backedUp = 1;
    one.total = 1;
    EXPECT_EQ(ReportText(one),
              "0  Files were up to date.\n\n1  File was backed up.\n\n0  Files were skipped.\n\n"
              "0  Files have problems. (see Results)\n" +
                  kRule + "\n1  total files");

    BackupCounts many{1, 3, 1, 1, 6};
    EXPECT_EQ(ReportText(many),
              "1  File was up to date.\n\n3  Files were backed up.\n\n1  File was skipped.\n\n"
              "1  File has problems. (see Results)\n" +
                  kRule + "\n6  total files");
    BackupCounts plural{2, 0, 2, 2, 6};
    EXPECT_NE(ReportText(plural).find("2  Files have problems."), std::string::npos);
    EXPECT_NE(ReportText(plural).find("2  Files were skipped."), std::string::npos);
}

TEST(BackupAll, CopiesOutOfDateCountsTheRestSavesAndReports) {
    OperationsHarness h;
    h.AddUpToDate("green.txt");
    h.AddOutOfDate("black.txt");
    h.fs.AddFile("/src/red.txt", "no archive", 2000);
    h.Add("/src/red.txt", "/arc/red.txt");
    h.AddOutOfDate("black2.txt");
    h.Select({0, 2, 3});
    h.ui.ClearCalls();

    OnBackupAll(*h.doc);

    EXPECT_EQ(h.fs.Content("/arc/black.txt"), "new black.txt");
    EXPECT_EQ(h.fs.LastWrite("/arc/black.txt"), 2000);
    EXPECT_EQ(h.fs.Content("/arc/black2.txt"), "new black2.txt");
    EXPECT_FALSE(h.fs.Exists("/arc/red.txt")) << "a missing archive is never created";
    EXPECT_EQ(h.rows().Entry(1).textColor, kColorUpToDate);
    EXPECT_EQ(h.rows().Entry(2).textColor, kColorProblem);
    EXPECT_TRUE(h.SelectedRows().empty());

    EXPECT_FALSE(h.doc->IsModified());
    EXPECT_EQ(SavedSources(h.fs, OperationsHarness::kManager),
              (std::vector<std::string>{"/src/green.txt", "/src/black.txt", "/src/red.txt",
                                        "/src/black2.txt"}));

    EXPECT_EQ(ProgressCaptions(h.ui),
              (std::vector<std::string>{" Checking file status", " Backing up files",
                                        " Saving manager files"}));
    const std::vector<UiCall> ranges = h.ui.CallsOf(UiCallKind::ProgressSetRange);
    ASSERT_GE(ranges.size(), 2u);
    EXPECT_EQ(ranges[0].numbers, (std::vector<int>{0, 4}));
    EXPECT_EQ(ranges[1].numbers, (std::vector<int>{0, 4}));
    // The report comes after the save.
    EXPECT_EQ(h.ui.Calls().back().kind, UiCallKind::MessageBox);
    ASSERT_EQ(h.Boxes().size(), 1u);
    EXPECT_EQ(h.Boxes()[0].caption, "Report");
    EXPECT_EQ(h.Boxes()[0].flags, kMbOk | kMbIconInformation);
    EXPECT_EQ(h.Boxes()[0].text, ReportText({1, 2, 0, 1, 4}));
    EXPECT_TRUE(h.ui.UnexpectedCalls().empty());
}

TEST(BackupAll, NothingToDoLeavesTheManagerFileAlone) {
    OperationsHarness empty;
    OnBackupAll(*empty.doc);
    EXPECT_TRUE(empty.ui.Calls().size() <= 1u);  // at most the caption set-up
    EXPECT_EQ(empty.ui.Count(UiCallKind::MessageBox), 0);
    EXPECT_EQ(empty.ui.Count(UiCallKind::FileDialog), 0);

    OperationsHarness h;
    h.AddUpToDate("a.txt");
    h.AddUpToDate("b.txt");
    h.fs.ClearCalls();
    OnBackupAll(*h.doc);
    EXPECT_EQ(h.fs.CountCalls(FsOperation::Copy), 0);
    EXPECT_EQ(h.fs.CountCalls(FsOperation::WriteAtomically), 0);
    EXPECT_FALSE(h.fs.Exists(OperationsHarness::kManager));
    ASSERT_EQ(h.Boxes().size(), 1u);
    EXPECT_EQ(h.Boxes()[0].text, ReportText({2, 0, 0, 0, 2}));
}

TEST(BackupSelected, CopiesOnlySelectedAndKeepsOthersUnevaluated) {
    OperationsHarness h;
    h.AddOutOfDate("a.txt");
    h.AddOutOfDate("b.txt");
    h.AddOutOfDate("c.txt");
    h.AddUpToDate("d.txt");
    // d's source changes on disk, but an unselected row is not evaluated again.
    h.fs.AddFile("/src/d.txt", "changed", 5000);
    h.Select({1});

    OnBackupSelected(*h.doc);

    EXPECT_EQ(h.fs.Content("/arc/a.txt"), "old");
    EXPECT_EQ(h.fs.Content("/arc/b.txt"), "new b.txt");
    EXPECT_EQ(h.fs.Content("/arc/c.txt"), "old");
    EXPECT_EQ(h.rows().Entry(3).textColor, kColorUpToDate);
    EXPECT_TRUE(h.SelectedRows().empty());
    ASSERT_EQ(h.Boxes().size(), 1u);
    EXPECT_EQ(h.Boxes()[0].text, ReportText({1, 1, 2, 0, 4}));
    EXPECT_NE(h.Boxes()[0].text.find("2  Files were skipped."), std::string::npos);
}

TEST(BackupRunUntitled, SaveAsFirstAndCancelAbandonsTheRun) {
    OperationsHarness h;
    h.MakeUntitled();  // untitled
    h.AddOutOfDate("a.txt");
    h.AddOutOfDate("b.txt");
    h.Select({1});
    h.ui.QueueFileDialog(FileDialogResult{});  // cancelled
    h.fs.ClearCalls();
    OnBackupSelected(*h.doc);
    EXPECT_EQ(h.ui.Count(UiCallKind::FileDialog), 1);
    EXPECT_EQ(h.ui.Count(UiCallKind::MessageBox), 0);
    EXPECT_EQ(h.fs.CountCalls(FsOperation::Copy), 0);
    EXPECT_EQ(h.ui.Count(UiCallKind::ProgressCreate), 0);

    // Named now: the run goes on with the row that was selected before the dialog.
    h.ChooseFile("/m/new.bak");
    OnBackupSelected(*h.doc);
    EXPECT_EQ(h.doc->PathName(), "/m/new.bak");
    EXPECT_EQ(h.fs.Content("/arc/a.txt"), "old");
    EXPECT_EQ(h.fs.Content("/arc/b.txt"), "new b.txt");
    EXPECT_EQ(SavedSources(h.fs, "/m/new.bak"),
              (std::vector<std::string>{"/src/a.txt", "/src/b.txt"}));
    ASSERT_EQ(h.Boxes().size(), 1u);
    EXPECT_EQ(h.Boxes()[0].text, ReportText({0, 1, 1, 0, 2}));
}

TEST(BackupRunAuto, SameCopiesAndSaveWithoutReport) {
    OperationsHarness h;
    h.AddOutOfDate("a.txt");
    BackupOptions unattended;
    unattended.unattended = true;
    OnBackupAll(*h.doc, unattended);
    EXPECT_EQ(h.fs.Content("/arc/a.txt"), "new a.txt");
    EXPECT_TRUE(h.fs.Exists(OperationsHarness::kManager));
    EXPECT_EQ(h.ui.Count(UiCallKind::MessageBox), 0);
}

TEST(BackupRunFaults, FailedCopyKeepsThePreviousArchiveAndLeavesNoTemporaryFile) {
    OperationsHarness h;
    h.AddPair("big.txt", std::string(1000, 'n'), 2000, "previous", 1000);
    h.fs.InjectFailure(
        {FsOperation::CopyWrite, "/arc/", ErrorCode(28), 500, -1});  // ENOSPC at byte 500

    const BackupResult result = RunBackup(*h.doc);

    EXPECT_TRUE(result.ran);
    EXPECT_EQ(result.counts.problems, 1u);
    EXPECT_EQ(result.counts.backedUp, 0u);
    EXPECT_EQ(h.fs.Content("/arc/big.txt"), "previous");
    EXPECT_EQ(h.fs.Paths(), (std::vector<std::string>{"/arc/big.txt", "/src/big.txt"}))
        << "no temporary file and no manager file, since nothing was copied";
    const CFileEntry& entry = h.rows().Entry(0);
    EXPECT_EQ(entry.textColor, kColorProblem);
    EXPECT_EQ(entry.backColor, kColorWhite);
    EXPECT_EQ(entry.lastError, 28u);
    EXPECT_EQ(entry.result, kResultOk) << "the result code stays as the evaluation left it";
}

TEST(BackupRunFaults, CoarseTimeArchiveIsUpToDateNextTime) {
    OperationsHarness h;
    h.fs.SetTimeGranularity(2, "/arc");
    h.AddPair("odd.txt", "new data", 2001, "old", 1000);

    const BackupResult first = RunBackup(*h.doc);
    EXPECT_EQ(first.counts.backedUp, 1u);
    EXPECT_EQ(h.fs.LastWrite("/arc/odd.txt"), 2002);
    EXPECT_EQ(h.rows().Entry(0).textColor, kColorUpToDate);

    h.fs.ClearCalls();
    const BackupResult second = RunBackup(*h.doc);
    EXPECT_EQ(second.counts.upToDate, 1u);
    EXPECT_EQ(second.counts.backedUp, 0u);
    EXPECT_EQ(h.fs.CountCalls(FsOperation::Copy), 0);
}

TEST(BackupRunFaults, SourceVanishingBeforeItsCopyIsAProblem) {
    OperationsHarness h;
    h.AddOutOfDate("gone.txt");
    h.fs.SetBeforeCall([&h](FsOperation operation, const std::string& path) {
        if (operation == FsOperation::Copy && path == "/src/gone.txt") {
            h.fs.Erase("/src/gone.txt");
        }
    });
    const BackupResult result = RunBackup(*h.doc);
    EXPECT_EQ(result.counts.problems, 1u);
    EXPECT_EQ(h.fs.Content("/arc/gone.txt"), "old");
    EXPECT_EQ(h.rows().Entry(0).lastError, 2u);  // ENOENT
}

TEST(BackupRunFaults, FailedSaveIsReported) {
    OperationsHarness h;
    h.AddOutOfDate("a.txt");
    h.fs.InjectFailure({FsOperation::WriteAtomically, "team.bak", ErrorCode(30), 0, -1});  // EROFS
    const BackupResult result = RunBackup(*h.doc);
    EXPECT_TRUE(result.saveFailed);
    EXPECT_EQ(h.fs.Content("/arc/a.txt"), "new a.txt");
    EXPECT_FALSE(h.fs.Exists(OperationsHarness::kManager));
    ASSERT_EQ(h.Boxes().size(), 1u);
    EXPECT_NE(h.Boxes()[0].text.find("Failed to save document."), std::string::npos);
}

TEST(BackupRunDry, CountsWouldBeCopiesAndTouchesNothing) {
    OperationsHarness h;
    h.AddOutOfDate("a.txt");
    h.AddUpToDate("b.txt");
    h.AddOutOfDate("c.txt");
    std::vector<std::string> would;
    BackupOptions options;
    options.dryRun = true;
    options.onWouldCopy = [&would](const CFileEntry& entry) { would.push_back(entry.sourcePath); };
    h.fs.ClearCalls();

    const BackupResult result = RunBackup(*h.doc, options);

    EXPECT_EQ(would, (std::vector<std::string>{"/src/a.txt", "/src/c.txt"}));
    EXPECT_EQ(result.counts.backedUp, 2u);
    EXPECT_EQ(result.counts.upToDate, 1u);
    EXPECT_EQ(h.fs.CountCalls(FsOperation::Copy), 0);
    EXPECT_EQ(h.fs.CountCalls(FsOperation::WriteAtomically), 0);
    EXPECT_EQ(h.fs.Content("/arc/a.txt"), "old");
}

TEST(RefreshAll, EvaluatesEveryRowOrOnlySelectedOnes) {
    OperationsHarness h;
    h.AddUpToDate("a.txt");
    h.AddUpToDate("b.txt");
    h.fs.AddFile("/src/a.txt", "changed", 3000);
    h.fs.AddFile("/src/b.txt", "changed", 3000);
    h.Select({1});
    h.ui.ClearCalls();
    RefreshStatus(*h.doc, true);
    EXPECT_EQ(h.rows().Entry(0).textColor, kColorUpToDate);
    EXPECT_EQ(h.rows().Entry(1).textColor, kColorOutOfDate);
    EXPECT_EQ(h.ui.Count(UiCallKind::ProgressStep), 2);

    OnRefreshAll(*h.doc);
    EXPECT_EQ(h.rows().Entry(0).textColor, kColorOutOfDate);
    EXPECT_EQ(h.SelectedRows(), std::vector<int>{1}) << "a refresh keeps the selection";
    EXPECT_FALSE(h.doc->IsModified());
    EXPECT_EQ(h.ui.Count(UiCallKind::MessageBox), 0);
    EXPECT_EQ(h.ui.Count(UiCallKind::Idle), 2);
}

}  // namespace
}  // namespace bh
