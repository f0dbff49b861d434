#include "core/operations/ManagerFile.h"

#include <gtest/gtest.h>

#include "core/ports/MessageBoxFlags.h"
#include "support/DocumentHarness.h"

namespace bh {
namespace {

using test::DocumentHarness;
using test::DocumentState;

const std::vector<ManagerRecord> kTwo = {
    {"/src/b.txt", "/m/b.txt", "second"},
    {"/src/a.txt", "/m/a.txt", ""},
};

// A document that has a manager open and modified, to check that failures keep it.
void OpenModifiedManager(DocumentHarness& h) {
    h.fs.AddFile("/src/a.txt", "aaa", 100);
    h.fs.AddFile("/m/a.txt", "aaa", 100);
    h.WriteManager("/m/current.bak", kTwo);
    ASSERT_TRUE(OpenDocumentFile(*h.doc, "/m/current.bak"));
    h.doc->SetModifiedFlag(true);
    h.ui.ClearCalls();
}

TEST(ManagerFile, OpenReplacesEntriesEvaluatesAndShowsProgress) {
    DocumentHarness h;
    OpenModifiedManager(h);
    EXPECT_EQ(h.doc->Title(), "current.bak *");
    ASSERT_EQ(h.doc->rows().Count(), 2);
    EXPECT_EQ(h.doc->rows().Entry(0).notes, "second");
    EXPECT_EQ(h.doc->rows().Entry(0).result, kResultSourceFailed);  // /src/b.txt is missing
    EXPECT_EQ(h.doc->rows().Entry(1).textColor, kColorUpToDate);
    EXPECT_EQ(h.rows().Count(), 2);
    EXPECT_EQ(h.rows().Entry(0).sourcePath, "/src/b.txt");

    h.WriteManager("/m/other.bak", {{"/src/a.txt", "/m/a.txt", "n"}});
    ASSERT_TRUE(OpenDocumentFile(*h.doc, "/m/other.bak"));
    EXPECT_FALSE(h.doc->IsModified());
    EXPECT_EQ(h.doc->Title(), "other.bak");
    EXPECT_EQ(h.doc->rows().Count(), 1);
    EXPECT_EQ(h.rows().Count(), 1);
    EXPECT_EQ(h.recent.Paths().front(), "/m/other.bak");

    const auto created = h.ui.CallsOf(UiCallKind::ProgressCreate);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].text, " Locating Files, Please Wait.");
    EXPECT_EQ(h.ui.LastProgressPos(), 1);
    EXPECT_EQ(h.ui.Count(UiCallKind::BeginWait), 1);
    EXPECT_EQ(h.ui.Count(UiCallKind::EndWait), 1);
    EXPECT_EQ(h.ui.Count(UiCallKind::Idle), 1);
    EXPECT_TRUE(h.ui.MessageBoxes().empty());
}

TEST(ManagerFile, FailedOpensChangeNothing) {
    const std::string valid = EncodeManager(kTwo);
    std::string wrongCase = valid;
    wrongCase[1] = 'b';
    struct Case {
        std::string name;
        std::string bytes;
        std::string text;
        std::string caption;
        unsigned flags;
    };
    const std::string notManager = "This is not a Backup file!";
    const unsigned stop = kMbOk | kMbIconHand;
    const unsigned warn = kMbOk | kMbIconExclamation;
    std::vector<Case> cases = {
        {"foreign", "#!/bin/sh\necho hello\n", notManager, "Open Backup Manager", stop},
        {"letter case", wrongCase, notManager, "Open Backup Manager", stop},
        {"absurd count", valid.substr(0, 22) + std::string(4, '\xFF'),
         "Failed to open document.\n\n" + ManagerReadReason(ManagerReadStatus::Corrupt),
         "Brackenhold", warn},
    };
    for (std::size_t cut = 1; cut < valid.size(); ++cut) {
        const ManagerReadStatus status = DecodeManager(valid.substr(0, cut)).status;
        cases.push_back({"cut at " + std::to_string(cut), valid.substr(0, cut),
                         "Failed to open document.\n\n" + ManagerReadReason(status), "Brackenhold",
                         warn});
    }
    for (const Case& c : cases) {
        DocumentHarness h;
        OpenModifiedManager(h);
        const DocumentState before = h.State();
        h.fs.AddFile("/m/bad.bak", c.bytes);
        EXPECT_FALSE(OpenDocumentFile(*h.doc, "/m/bad.bak")) << c.name;
        EXPECT_EQ(h.State(), before) << c.name;
        const auto boxes = h.ui.MessageBoxes();
        ASSERT_EQ(boxes.size(), 1u) << c.name;
        EXPECT_EQ(boxes[0].text, c.text) << c.name;
        EXPECT_EQ(boxes[0].caption, c.caption) << c.name;
        EXPECT_EQ(boxes[0].flags, c.flags) << c.name;
        EXPECT_EQ(h.recent.Paths().front(), "/m/current.bak") << c.name;
        // Nothing was evaluated for a file that did not parse.
        EXPECT_EQ(h.ui.Count(UiCallKind::ProgressCreate), 0) << c.name;
    }
}

TEST(ManagerFile, UnreadableFileGivesTheSystemReason) {
    DocumentHarness h;
    OpenModifiedManager(h);
    const DocumentState before = h.State();
    EXPECT_FALSE(OpenDocumentFile(*h.doc, "/m/missing.bak"));
    EXPECT_EQ(h.State(), before);
    const auto boxes = h.ui.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Failed to open document.\n\nNo such file or directory");
}

TEST(ManagerFile, ZeroLengthFileOpensAsAnEmptyManager) {
    DocumentHarness h;
    OpenModifiedManager(h);
    h.fs.AddFile("/m/empty.bak", "");
    ASSERT_TRUE(OpenDocumentFile(*h.doc, "/m/empty.bak"));
    EXPECT_TRUE((h.doc->rows().Count() == 0));
    EXPECT_EQ(h.rows().Count(), 0);
    EXPECT_EQ(h.doc->Title(), "empty.bak");
    EXPECT_FALSE(h.doc->IsModified());
    EXPECT_TRUE(h.ui.MessageBoxes().empty());
}

TEST(ManagerFile, SaveWritesTheDisplayOrderAtomically) {
    DocumentHarness h;
    OpenModifiedManager(h);
    // Sorting by source reverses the two rows.
    h.rows().Reorder({1, 0});
    ASSERT_TRUE(SaveDocumentFile(*h.doc, "/m/sorted.bak"));
    EXPECT_FALSE(h.doc->IsModified());
    EXPECT_EQ(h.doc->PathName(), "/m/current.bak");  // the caller names the document
    const std::vector<ManagerRecord> sorted = {kTwo[1], kTwo[0]};
    EXPECT_EQ(h.fs.Content("/m/sorted.bak"), EncodeManager(sorted));
    EXPECT_EQ(h.fs.CountCalls(FsOperation::WriteAtomically), 1);

    const auto created = h.ui.CallsOf(UiCallKind::ProgressCreate);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].text, " Saving manager files");
    EXPECT_EQ(h.ui.LastProgressPos(), 2);
    EXPECT_EQ(h.ui.Count(UiCallKind::Idle), 1);

    // Reloading restores the sorted order.
    ASSERT_TRUE(OpenDocumentFile(*h.doc, "/m/sorted.bak"));
    EXPECT_EQ(h.doc->rows().Entry(0).sourcePath, "/src/a.txt");
}

TEST(ManagerFile, FailedSaveKeepsTheOldFileAndTheFlag) {
    DocumentHarness h;
    OpenModifiedManager(h);
    const std::string old = h.fs.Content("/m/current.bak");
    h.rows().Reorder({1, 0});
    FaultPoint full;
    full.operation = FsOperation::WriteAtomically;
    full.error = ErrorCode(28);  // ENOSPC
    full.afterBytes = 10;
    h.fs.InjectFailure(full);
    EXPECT_FALSE(SaveDocumentFile(*h.doc, "/m/current.bak"));
    EXPECT_EQ(h.fs.Content("/m/current.bak"), old);
    EXPECT_TRUE(h.doc->IsModified());
    EXPECT_EQ(h.doc->Title(), "current.bak *");
    const auto boxes = h.ui.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Failed to save document.\n\nNo space left on device");
    EXPECT_EQ(boxes[0].caption, "Brackenhold");
    EXPECT_EQ(boxes[0].flags, kMbOk | kMbIconExclamation);
}

}  // namespace
}  // namespace bh
