#include "core/operations/Restore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ports/MessageBoxFlags.h"
#include "core/view/Columns.h"
#include "support/OperationsHarness.h"

namespace bh {
namespace {

using test::OperationsHarness;

constexpr unsigned kQuestionFlags = kMbYesNoCancel | kMbIconQuestion | kMbDefButton3;
constexpr unsigned kErrorFlags = kMbOkCancel | kMbIconExclamation;

std::string Results(const OperationsHarness& h, int row) {
    return h.CellText(row, kColumnResults);
}

TEST(RestoreTexts, CaptionQuestionCopyNameAndSummary) {
    EXPECT_EQ(RestoreCaption(1), "Restore 1 File ");
    EXPECT_EQ(RestoreCaption(3), "Restore 3 Files");
    EXPECT_EQ(RestoreCaption(0), "Restore 0 Files");
    EXPECT_EQ(RestoreQuestionText(1),
              "Do you also want make a copy of\nthe source before restoring the file?");
    EXPECT_EQ(RestoreQuestionText(2),
              "Do you also want make a copy of\nthe source before restoring each file?");
    EXPECT_EQ(SourceCopyName(SplitPath("C:\\Data\\report.doc"), 1), "C:\\Data\\report[copy1].doc");
    EXPECT_EQ(SourceCopyName(SplitPath("/data/README"), 12), "/data/README[copy12]");
    EXPECT_EQ(SourceCopyName(SplitPath("/d.x/a.tar.gz"), 2), "/d.x/a.tar[copy2].gz");

    RestoreOutcome outcome;
    outcome.selected = 1;
    outcome.restored = 1;
    EXPECT_EQ(RestoreSummaryText(outcome), "1 File was restored");
    outcome.copies = 1;
    EXPECT_EQ(RestoreSummaryText(outcome), "1 File was restored\n1 Copy was made");
    outcome = {4, 2, 2, 0, {}};
    EXPECT_EQ(RestoreSummaryText(outcome),
              "2 Files were restored\n2 Copies were made\n2 Restores Failed");
    outcome = {3, 2, 0, 0, {}};
    EXPECT_EQ(RestoreSummaryText(outcome), "2 Files were restored\n1 Restore Failed");
    outcome = {3, 0, 0, 0, {}};
    EXPECT_EQ(RestoreSummaryText(outcome), "0 Files were restored\n3 Restores Failed");
}

TEST(RestoreSelected, OneRowWithoutCopy) {
    OperationsHarness h;
    h.AddPair("a.txt", "changed source", 3000, "archived", 1000);
    h.AddPair("b.txt", "b source", 3000, "b archived", 1000);
    h.Select({0});
    h.ui.ClearCalls();
    h.ui.QueueMessageBoxAnswer(kIdNo);

    OnRestoreSelected(*h.doc);

    EXPECT_EQ(h.fs.Content("/src/a.txt"), "archived");
    EXPECT_EQ(h.fs.LastWrite("/src/a.txt"), 1000);
    EXPECT_EQ(h.fs.Content("/src/b.txt"), "b source");
    EXPECT_EQ(Results(h, 0), "Restored");
    const std::vector<UiCall> boxes = h.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "Restore 1 File ");
    EXPECT_EQ(boxes[0].text, RestoreQuestionText(1));
    EXPECT_EQ(boxes[0].flags, kQuestionFlags);
    EXPECT_EQ(boxes[1].caption, "Restore 1 File ");
    EXPECT_EQ(boxes[1].text, "1 File was restored");
    EXPECT_EQ(boxes[1].flags, kMbOk | kMbIconInformation);
    const std::vector<UiCall> progress = h.ui.CallsOf(UiCallKind::ProgressCreate);
    ASSERT_EQ(progress.size(), 1u);
    EXPECT_EQ(progress[0].text, "Restoring Files, Please Wait");

    // Nothing about the manager or its entries changes.
    EXPECT_FALSE(h.doc->IsModified());
    EXPECT_EQ(h.SelectedRows(), std::vector<int>{0});
    EXPECT_EQ(h.rows().Entry(0).sourceTime, 3000);
    EXPECT_EQ(h.ui.Count(UiCallKind::Idle), 1);
}

TEST(RestoreSelected, CancelDoesNothing) {
    OperationsHarness h;
    h.AddPair("a.txt", "source", 3000, "archived", 1000);
    h.Select({0});
    h.ui.QueueMessageBoxAnswer(kIdCancel);
    h.fs.ClearCalls();
    OnRestoreSelected(*h.doc);
    EXPECT_EQ(h.fs.Content("/src/a.txt"), "source");
    EXPECT_EQ(h.fs.CountCalls(FsOperation::Copy), 0);
    EXPECT_EQ(h.Boxes().size(), 1u);
    EXPECT_EQ(Results(h, 0), "");
}

TEST(RestoreSelected, KeepsANumberedCopyUnderTheFirstFreeName) {
    OperationsHarness h;
    h.AddPair("report.doc", "current", 3000, "archived", 1000);
    h.fs.AddFile("/src/report[copy1].doc", "older copy", 10);
    h.fs.AddFile("/src/README", "readme now", 3000);
    h.fs.AddFile("/arc/README", "readme archived", 1000);
    h.Add("/src/README", "/arc/README");
    h.Select({0, 1});
    h.ui.QueueMessageBoxAnswer(kIdYes);

    OnRestoreSelected(*h.doc);

    EXPECT_EQ(h.fs.Content("/src/report[copy1].doc"), "older copy");
    EXPECT_EQ(h.fs.Content("/src/report[copy2].doc"), "current");
    EXPECT_EQ(h.fs.Content("/src/report.doc"), "archived");
    EXPECT_EQ(h.fs.Content("/src/README[copy1]"), "readme now");
    EXPECT_EQ(Results(h, 0), "Restored, Source Copy = report[copy2].doc");
    EXPECT_EQ(Results(h, 1), "Restored, Source Copy = README[copy1]");
    ASSERT_EQ(h.Boxes().size(), 2u);
    EXPECT_EQ(h.Boxes()[0].text, RestoreQuestionText(2));
    EXPECT_EQ(h.Boxes()[1].caption, "Restore 2 Files");
    EXPECT_EQ(h.Boxes()[1].text, "2 Files were restored\n2 Copies were made");
}

TEST(RestoreSelected, FailedRestoresDeleteTheirCopiesAndCancelSilencesErrors) {
    OperationsHarness h;
    h.AddUpToDate("x.txt");
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
        h.fs.AddFile(std::string("/src/") + name, "source", 3000);
        h.Add(std::string("/src/") + name, std::string("/arc/") + name);
    }
    h.Select({1, 2, 3});
    h.ui.QueueMessageBoxAnswer(kIdYes);
    h.ui.QueueMessageBoxAnswer(kIdCancel);  // the first error box

    OnRestoreSelected(*h.doc);

    const std::vector<UiCall> boxes = h.Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[1].caption, "Restore 3 Files");
    EXPECT_EQ(boxes[1].flags, kErrorFlags);
    // Numbered by the row's place in the list (row 1 is the second row).
    EXPECT_EQ(boxes[1].text, "Problem restoring file 2\n\na.txt\n\nNo such file or directory");
    EXPECT_EQ(boxes[2].text, "0 Files were restored\n3 Restores Failed");
    for (int row = 1; row <= 3; ++row) {
        EXPECT_EQ(Results(h, row), "Restore Failed");
    }
    EXPECT_EQ(h.fs.Paths(), (std::vector<std::string>{"/arc/x.txt", "/src/a.txt", "/src/b.txt",
                                                      "/src/c.txt", "/src/x.txt"}))
        << "the copies of failed restores are deleted";
    EXPECT_EQ(h.fs.Content("/src/b.txt"), "source");
}

// Two selected rows, a.txt and b.txt, every copy name of b.txt taken.
void AddTwoWithBsCopyNamesTaken(OperationsHarness& h) {
    h.AddPair("a.txt", "a now", 3000, "a archived", 1000);
    h.AddPair("b.txt", "b now", 3000, "b archived", 1000);
    for (int n = 1; n <= 99; ++n) {
        h.fs.AddFile("/src/b[copy" + std::to_string(n) + "].txt", "taken", 1);
    }
    h.Select({0, 1});
}

TEST(RestoreSelected, NoFreeCopyNameReportsByOrdinalAndRestoresAnyway) {
    OperationsHarness h;
    AddTwoWithBsCopyNamesTaken(h);
    h.ui.QueueMessageBoxAnswer(kIdYes);
    h.ui.QueueMessageBoxAnswer(kIdOk);

    OnRestoreSelected(*h.doc);

    const std::vector<UiCall> boxes = h.Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[1].text, "Problem making a copy of source file 2\n\nb.txt\n\nFile exists");
    EXPECT_EQ(boxes[1].flags, kErrorFlags);
    EXPECT_EQ(h.fs.Content("/src/b.txt"), "b archived");
    EXPECT_EQ(Results(h, 1), "Restored");
    EXPECT_EQ(Results(h, 0), "Restored, Source Copy = a[copy1].txt");
    EXPECT_EQ(boxes[2].text, "2 Files were restored\n1 Copy was made");
}

TEST(UnattendedRestore, LeavesASourceAloneWhenItsCopyCannotBeMade) {
    OperationsHarness h;
    AddTwoWithBsCopyNamesTaken(h);
    h.ui.QueueMessageBoxAnswer(kIdOk);

    const RestoreOutcome outcome = RunRestore(*h.doc, true, /*restoreWithoutCopy=*/false);
    EXPECT_EQ(h.fs.Content("/src/b.txt"), "b now");
    EXPECT_EQ(h.fs.Content("/src/a.txt"), "a archived");
    EXPECT_EQ(outcome.restored, 1);
    ASSERT_EQ(outcome.rows.size(), 2u);
    EXPECT_FALSE(outcome.rows[1].restored);
    EXPECT_EQ(outcome.rows[1].copyError, ErrorCode(17));
    EXPECT_EQ(outcome.rows[1].resultText, "Restore Failed");
    EXPECT_EQ(RestoreSummaryText(outcome),
              "1 File was restored\n1 Copy was made\n1 Restore Failed");
}

TEST(RestoreSelected, FailedCopyLeavesTheSourceIntact) {
    OperationsHarness h;
    h.AddPair("a.txt", "precious source", 3000, std::string(800, 'a'), 1000);
    h.fs.InjectFailure({FsOperation::CopyWrite, "/src/a.txt", ErrorCode(28), 100, -1});
    h.Select({0});
    h.ui.QueueMessageBoxAnswer(kIdNo);
    h.ui.QueueMessageBoxAnswer(kIdOk);

    OnRestoreSelected(*h.doc);

    EXPECT_EQ(h.fs.Content("/src/a.txt"), "precious source");
    EXPECT_EQ(h.fs.Paths(), (std::vector<std::string>{"/arc/a.txt", "/src/a.txt"}));
    EXPECT_EQ(Results(h, 0), "Restore Failed");
    ASSERT_EQ(h.Boxes().size(), 3u);
    EXPECT_EQ(h.Boxes()[1].text, "Problem restoring file 1\n\na.txt\n\nNo space left on device");
    EXPECT_EQ(h.Boxes()[2].text, "0 Files were restored\n1 Restore Failed");
}

TEST(RestoreSelected, CopyNamesBeyondThePathLimitAreRefused) {
    OperationsHarness h;
    const std::string folder = "/src/" + std::string(4080, 'd');
    const std::string source = folder + "/a.txt";  // fits; "a[copy1].txt" does not
    ASSERT_LT(source.size() + 1, 4096u);
    h.fs.AddFile(source, "now", 3000);
    h.fs.AddFile("/arc/a.txt", "archived", 1000);
    h.Add(source, "/arc/a.txt");
    h.Select({0});
    h.ui.QueueMessageBoxAnswer(kIdYes);
    h.ui.QueueMessageBoxAnswer(kIdOk);

    OnRestoreSelected(*h.doc);

    EXPECT_EQ(h.fs.CountCalls(FsOperation::Copy, "[copy"), 0);
    ASSERT_EQ(h.Boxes().size(), 3u);
    EXPECT_EQ(h.Boxes()[1].text,
              "Problem making a copy of source file 1\n\na.txt\n\nFile name too long");
    EXPECT_EQ(h.fs.Content(source), "archived");
}

}  // namespace
}  // namespace bh
