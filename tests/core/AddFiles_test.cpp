#include "core/operations/AddFiles.h"

#include <gtest/gtest.h>

#include "core/app/CommandEnabling.h"
#include "core/operations/ManagerFile.h"
#include "core/ports/MessageBoxFlags.h"
#include "support/DocumentHarness.h"

namespace bh {
namespace {

using test::DocumentHarness;

// A harness whose document is the manager /m/team.bak.
struct Titled : DocumentHarness {
    Titled() {
        WriteManager("/m/team.bak", {});
        EXPECT_TRUE(OpenDocumentFile(*doc, "/m/team.bak"));
        ui.ClearCalls();
    }
};

TEST(AddFiles, ArchiveIsCreatedEmptyInTheManagersFolder) {
    Titled h;
    h.fs.AddFile("/home/ann/report.doc", "data", 500);
    EXPECT_EQ(AddFile(*h.doc, "/home/ann/report.doc"), AddFileResult::Added);
    ASSERT_EQ(h.doc->rows().Count(), 1);
    const CFileEntry& entry = h.rows().Entry(0);
    EXPECT_EQ(entry.archivePath, "/m/report.doc");
    EXPECT_EQ(entry.notes, "");
    EXPECT_TRUE(h.fs.Exists("/m/report.doc"));
    EXPECT_EQ(h.fs.Content("/m/report.doc"), "");
    EXPECT_EQ(entry.textColor, kColorOutOfDate);
    EXPECT_EQ(h.rows().Count(), 1);
    EXPECT_TRUE(h.doc->IsModified());
    EXPECT_EQ(h.doc->Title(), "team.bak *");
    EXPECT_TRUE(h.ui.MessageBoxes().empty());

    // An empty source not newer than its new archive starts up to date.
    h.fs.AddFile("/home/ann/empty.txt", "", -100);
    EXPECT_EQ(AddFile(*h.doc, "/home/ann/empty.txt"), AddFileResult::Added);
    EXPECT_EQ(h.doc->rows().Entry(1).textColor, kColorUpToDate);
}

TEST(AddFiles, SubstituteNames) {
    Titled h;
    h.fs.AddFile("/a/notes.txt", "1");
    h.fs.AddFile("/b/notes.txt", "2");
    h.fs.AddFile("/c/NOTES.txt", "3");
    h.fs.AddFile("/d/readme", "r");
    h.fs.AddFile("/e/readme", "r");
    h.fs.AddFile("/f/team.bak", "the manager's own name");
    for (const char* path : {"/a/notes.txt", "/b/notes.txt", "/c/NOTES.txt", "/d/readme",
                             "/e/readme", "/f/team.bak"}) {
        EXPECT_EQ(AddFile(*h.doc, path), AddFileResult::Added) << path;
    }
    std::vector<std::string> archives;
    for (int row = 0; row < h.rows().Count(); ++row) {
        archives.push_back(h.rows().Entry(row).archivePath);
    }
    // The in-memory file system is case-sensitive like Linux: NOTES.txt is a free name.
    EXPECT_EQ(archives, (std::vector<std::string>{"/m/notes.txt", "/m/notes[1].txt", "/m/NOTES.txt",
                                                  "/m/readme", "/m/readme[1]", "/m/team[1].bak"}));
    // A folder of that name also takes the name.
    h.fs.AddFolder("/m/photo.jpg");
    h.fs.AddFile("/g/photo.jpg", "p");
    EXPECT_EQ(AddFile(*h.doc, "/g/photo.jpg"), AddFileResult::Added);
    EXPECT_EQ(h.doc->rows().Entry(h.doc->rows().Count() - 1).archivePath, "/m/photo[1].jpg");
    EXPECT_TRUE(h.ui.MessageBoxes().empty());
}

TEST(AddFiles, RefusalsAndTheirMessages) {
    Titled h;
    h.fs.AddFile("/a/Report.doc", "x");
    h.fs.AddFolder("/a/folder");
    ASSERT_EQ(AddFile(*h.doc, "/a/Report.doc"), AddFileResult::Added);
    const auto state = h.State();

    // Silent: a missing path, a folder, a source already present in other letter case.
    EXPECT_EQ(AddFile(*h.doc, "/a/missing.doc"), AddFileResult::NotAFile);
    EXPECT_EQ(AddFile(*h.doc, "/a/folder"), AddFileResult::NotAFile);
    h.fs.AddFile("/A/REPORT.DOC", "same name in other case");
    EXPECT_EQ(AddFile(*h.doc, "/A/REPORT.DOC"), AddFileResult::AlreadyInManager);
    // Silent: the archive cannot be created.
    h.fs.AddFile("/b/locked.txt", "l");
    FaultPoint denied;
    denied.operation = FsOperation::CreateEmpty;
    denied.error = ErrorCode(13);
    h.fs.InjectFailure(denied);
    EXPECT_EQ(AddFile(*h.doc, "/b/locked.txt"), AddFileResult::ArchiveNotCreated);
    h.fs.ClearFailures();
    EXPECT_EQ(h.State(), state);
    EXPECT_TRUE(h.ui.MessageBoxes().empty());

    // Every name taken: 100 tries, then the message.
    h.fs.AddFile("/c/full.txt", "f");
    h.fs.AddFile("/m/full.txt", "");
    for (int k = 1; k < 100; ++k) {
        h.fs.AddFile("/m/full[" + std::to_string(k) + "].txt", "");
    }
    h.fs.ClearCalls();
    EXPECT_EQ(AddFile(*h.doc, "/c/full.txt"), AddFileResult::NoSubstituteName);
    EXPECT_EQ(h.fs.CountCalls(FsOperation::Lookup, "/m/full"), 100);
    EXPECT_EQ(h.fs.CountCalls(FsOperation::CreateEmpty), 0);
    EXPECT_EQ(h.State(), state);
    auto boxes = h.ui.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Can't find a substitute archive\nfile name after 100 tries!");
    EXPECT_EQ(boxes[0].caption, "Create Backup Manager");
    EXPECT_EQ(boxes[0].flags, kMbOk | kMbIconExclamation);
}

TEST(AddFiles, ArchivePathsBeyondThePathLimitAreRefused) {
    DocumentHarness h;
    const std::string folder = "/" + std::string(4000, 'f') + "/";
    h.WriteManager(folder + "m.bak", {});
    ASSERT_TRUE(OpenDocumentFile(*h.doc, folder + "m.bak"));
    // Manager folder (4002 bytes) + a 93-byte name = 4095 bytes: fits with the terminator.
    const std::string fits = std::string(89, 'n') + ".txt";
    h.fs.AddFile("/s/" + fits, "1");
    EXPECT_EQ(AddFile(*h.doc, "/s/" + fits), AddFileResult::Added);
    EXPECT_EQ(h.doc->rows().Entry(h.doc->rows().Count() - 1).archivePath.size(), 4095);
    // The same name again needs "[1]", which no longer fits.
    h.fs.AddFile("/t/" + fits, "2");
    EXPECT_EQ(AddFile(*h.doc, "/t/" + fits), AddFileResult::PathTooLong);
    const std::string tooLong = std::string(90, 'n') + ".txt";
    h.fs.AddFile("/s/" + tooLong, "3");
    EXPECT_EQ(AddFile(*h.doc, "/s/" + tooLong), AddFileResult::PathTooLong);
    EXPECT_EQ(h.doc->rows().Count(), 1);
    EXPECT_TRUE(h.ui.MessageBoxes().empty());
}

TEST(AddFiles, CommandDialogDeselectsAndRemembersTheFolder) {
    Titled h;
    h.fs.AddFile("/s/old.txt", "o");
    ASSERT_EQ(AddFile(*h.doc, "/s/old.txt"), AddFileResult::Added);
    h.rows().SetSelected(0, true);
    h.doc->addDirStr = "/start/";
    h.fs.AddFile("/home/ann/Docs/a.txt", "a");
    h.fs.AddFile("/home/ann/Docs/b.txt", "b");
    FileDialogResult chosen;
    chosen.confirmed = true;
    chosen.paths = {"/home/ann/Docs/b.txt", "/home/ann/Docs/a.txt"};
    h.ui.QueueFileDialog(chosen);
    OnAddFiles(*h.doc);
    EXPECT_EQ(h.rows().SelectedCount(), 0);
    const auto request = h.ui.CallsOf(UiCallKind::FileDialog).at(0).fileDialog;
    EXPECT_EQ(request.kind, FileDialogKind::Open);
    EXPECT_EQ(request.title, "Add Files to Backup Manager");
    EXPECT_EQ(request.filter, "All Files ( *.* )|*.*||");
    EXPECT_EQ(request.initialFolder, "/start/");
    EXPECT_EQ(request.initialName, "");
    EXPECT_EQ(request.options, 0x884A04u);
    ASSERT_EQ(h.doc->rows().Count(), 3);
    EXPECT_EQ(h.doc->rows().Entry(1).sourcePath, "/home/ann/Docs/b.txt");
    EXPECT_EQ(h.doc->rows().Entry(2).sourcePath, "/home/ann/Docs/a.txt");
    EXPECT_EQ(h.doc->addDirStr, "/home/ann/Docs/");

    // Too many files for the dialog's list: its error, nothing added.
    FileDialogResult failed;
    failed.errorCode = kFnerrBufferTooSmall;
    h.ui.QueueFileDialog(failed);
    OnAddFiles(*h.doc);
    auto boxes = h.ui.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "File open dialog error\nError code = 0X3003");
    EXPECT_EQ(boxes[0].caption, "Add Files to Backup Manager");
    EXPECT_EQ(boxes[0].flags, kMbOk | kMbIconHand);
    EXPECT_EQ(h.doc->rows().Count(), 3);
    EXPECT_EQ(h.doc->addDirStr, "/home/ann/Docs/");

    EXPECT_TRUE(CanAddFiles(*h.doc));
}

TEST(AddFiles, UntitledManagerCannotTakeFiles) {
    DocumentHarness h;
    h.fs.AddFile("/s/a.txt", "a");
    EXPECT_FALSE(CanAddFiles(*h.doc));
    EXPECT_EQ(AddFile(*h.doc, "/s/a.txt"), AddFileResult::NoManagerFolder);
    EXPECT_TRUE((h.doc->rows().Count() == 0));
    EXPECT_FALSE(h.doc->IsModified());
    auto boxes = h.ui.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Open or create a New backup manager first!");
    EXPECT_EQ(boxes[0].caption, "Create Backup Manager");
    EXPECT_EQ(boxes[0].flags, kMbOk | kMbIconExclamation);
}

TEST(AddFiles, ManyFilesIntoALargeManagerStayLinear) {
    Titled h;
    std::vector<ManagerRecord> records;
    for (int i = 0; i < 100000; ++i) {
        records.push_back({"/big/f" + std::to_string(i), "/m/f" + std::to_string(i), ""});
    }
    h.WriteManager("/m/big.bak", records);
    ASSERT_TRUE(OpenDocumentFile(*h.doc, "/m/big.bak"));
    for (int i = 0; i < 10000; ++i) {
        h.fs.AddFile("/new/g" + std::to_string(i), "");
    }
    h.fs.AddFile("/BIG/F5", "");
    h.fs.ClearCalls();
    for (int i = 0; i < 10000; ++i) {
        ASSERT_EQ(AddFile(*h.doc, "/new/g" + std::to_string(i)), AddFileResult::Added);
    }
    EXPECT_EQ(AddFile(*h.doc, "/BIG/F5"), AddFileResult::AlreadyInManager);
    EXPECT_EQ(h.doc->rows().Count(), 110000);
}

}  // namespace
}  // namespace bh
