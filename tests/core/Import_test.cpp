#include "core/operations/Import.h"

#include <gtest/gtest.h>

#include "core/operations/ManagerFile.h"
#include "core/ports/MessageBoxFlags.h"
#include "support/DocumentHarness.h"

namespace bh {
namespace {

using test::DocumentHarness;
using test::DocumentState;

const std::vector<ManagerRecord> kOther = {
    {"/s/one", "/o/one", "first"},
    {"/s/two", "/o/two", ""},
};

struct Open : DocumentHarness {
    Open() {
        WriteManager("/m/team.bak", {{"/s/one", "/m/one", ""}});
        EXPECT_TRUE(OpenDocumentFile(*doc, "/m/team.bak"));
        doc->backupDirStr = "/start/";
        doc->lastManagerName = "last.bak";
        ui.ClearCalls();
    }
};

TEST(Import, AppendsEveryEntryInFileOrder) {
    Open h;
    h.WriteManager("/o/other.bak", kOther);
    h.ChooseFile("/o/other.bak");
    OnImportBackup(*h.doc);
    const auto request = h.ui.CallsOf(UiCallKind::FileDialog).at(0).fileDialog;
    EXPECT_EQ(request.kind, FileDialogKind::Open);
    EXPECT_EQ(request.title, "Import Backup Manager Files");
    EXPECT_EQ(request.filter, "Backup Files ( *.bak )|*.bak|All Files ( *.* )|*.*||");
    EXPECT_EQ(request.initialFolder, "/start/");
    EXPECT_EQ(request.initialName, "last.bak");
    EXPECT_EQ(request.options, 0x880A04u);

    // Sources are not compared: /s/one is there twice now.
    ASSERT_EQ(h.doc->rows().Count(), 3);
    EXPECT_EQ(h.doc->rows().Entry(1).sourcePath, "/s/one");
    EXPECT_EQ(h.doc->rows().Entry(1).notes, "first");
    EXPECT_EQ(h.doc->rows().Entry(2).archivePath, "/o/two");
    ASSERT_EQ(h.rows().Count(), 3);
    EXPECT_EQ(h.rows().Entry(2).sourcePath, "/s/two");
    EXPECT_TRUE(h.doc->IsModified());
    EXPECT_EQ(h.doc->lastManagerName, "other.bak");
    EXPECT_EQ(h.doc->backupDirStr, "/o/");
    EXPECT_EQ(h.doc->PathName(), "/m/team.bak");
    EXPECT_TRUE(h.ui.MessageBoxes().empty());
    const auto created = h.ui.CallsOf(UiCallKind::ProgressCreate);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].text, " Locating Files, Please Wait.");
    EXPECT_EQ(h.ui.LastProgressPos(), 2);
    EXPECT_EQ(h.ui.Count(UiCallKind::Idle), 1);

    // An untitled manager takes imports too.
    DocumentHarness untitled;
    untitled.WriteManager("/o/other.bak", kOther);
    EXPECT_EQ(ImportManager(*untitled.doc, "/o/other.bak"), ImportResult::Imported);
    EXPECT_EQ(untitled.doc->rows().Count(), 2);
}

TEST(Import, FailuresAddNothing) {
    Open h;
    const std::string valid = EncodeManager(kOther);
    h.fs.AddFile("/o/foreign.bak", "PK\x03\x04 not a manager");
    h.fs.AddFile("/o/cut.bak", valid.substr(0, valid.size() - 3));
    h.fs.AddFile("/o/empty.bak", EncodeManager(std::vector<ManagerRecord>{}));
    h.fs.AddFile("/o/zero.bak", "");
    h.doc->SetModifiedFlag(false);
    const DocumentState before = h.State();

    struct Case {
        std::string path;
        ImportResult result;
        std::string text;  // empty: no message
        unsigned flags;
    };
    const Case cases[] = {
        {"/M/TEAM.BAK", ImportResult::Itself, "Can't import backup to itself",
         kMbOk | kMbIconExclamation},
        {"/o/missing.v1.bak", ImportResult::OpenFailed,
         "Can't open file\n\nmissing.v1\n\nNo such file or directory", kMbOk | kMbIconHand},
        {"/o/foreign.bak", ImportResult::NotManager, "This is not a Backup file!",
         kMbOk | kMbIconExclamation},
        {"/o/cut.bak", ImportResult::Damaged,
         "Failed to open document.\n\n" + ManagerReadReason(ManagerReadStatus::Corrupt),
         kMbOk | kMbIconHand},
        {"/o/empty.bak", ImportResult::Empty, "", 0},
        {"/o/zero.bak", ImportResult::Empty, "", 0},
    };
    for (const Case& c : cases) {
        h.ui.ClearCalls();
        EXPECT_EQ(ImportManager(*h.doc, c.path), c.result) << c.path;
        EXPECT_EQ(h.State(), before) << c.path;
        EXPECT_EQ(h.doc->backupDirStr, "/start/") << c.path;
        EXPECT_EQ(h.doc->lastManagerName, "last.bak") << c.path;
        const auto boxes = h.ui.MessageBoxes();
        if (c.text.empty()) {
            EXPECT_TRUE(boxes.empty()) << c.path;
            continue;
        }
        ASSERT_EQ(boxes.size(), 1u) << c.path;
        EXPECT_EQ(boxes[0].text, c.text) << c.path;
        EXPECT_EQ(boxes[0].caption, "Import Backup Manager Files") << c.path;
        EXPECT_EQ(boxes[0].flags, c.flags) << c.path;
    }

    // Dialog: a plain cancel is silent, a failure shows its code.
    h.ui.ClearCalls();
    h.ui.QueueFileDialog(FileDialogResult{});
    OnImportBackup(*h.doc);
    FileDialogResult failed;
    failed.errorCode = 0x3003;
    h.ui.QueueFileDialog(failed);
    OnImportBackup(*h.doc);
    const auto boxes = h.ui.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "File open dialog error\nError code = 0X3003");
    EXPECT_EQ(boxes[0].caption, "Import Backup Manager Files");
    EXPECT_EQ(boxes[0].flags, kMbOk | kMbIconHand);
    EXPECT_EQ(h.State(), before);
}

}  // namespace
}  // namespace bh
