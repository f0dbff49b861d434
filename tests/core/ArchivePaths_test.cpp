#include "core/operations/ArchivePaths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ports/MessageBoxFlags.h"
#include "core/ports/Volumes.h"
#include "support/OperationsHarness.h"

namespace bh {
namespace {

using test::OperationsHarness;

// Three entries with Windows-style archive paths on drive C: (which the rows only show) and a
// fourth on a server share.
void AddDriveEntries(OperationsHarness& h) {
    h.Add("/src/a.txt", "C:\\Backup\\a.txt");
    h.Add("/src/b.txt", "C:\\Backup\\b.txt");
    h.Add("/src/c.txt", "c:\\Other\\c.txt");
    h.Add("/src/d.txt", "\\\\server\\share\\d.txt");
}

TEST(RenameDrive, AppliesOneLetterToEverySelectedArchive) {
    OperationsHarness h;
    AddDriveEntries(h);
    h.Select({0, 1, 2});
    h.ui.QueuePrompt(kIdOk, "  e: ");

    EXPECT_TRUE(OnRenameDrive(*h.doc));

    const std::vector<UiCall> prompts = h.ui.CallsOf(UiCallKind::Prompt);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].prompt.caption, "Change Archive Drive Letter (3 Files Selected)");
    EXPECT_EQ(prompts[0].prompt.text, "C:");
    EXPECT_FALSE(prompts[0].prompt.allowBrowse);
    EXPECT_EQ(prompts[0].prompt.editStyle, 0u);
    EXPECT_EQ(h.rows().Entry(0).archivePath, "E:\\Backup\\a.txt");
    EXPECT_EQ(h.rows().Entry(1).archivePath, "E:\\Backup\\b.txt");
    EXPECT_EQ(h.rows().Entry(2).archivePath, "E:\\Other\\c.txt");
    EXPECT_EQ(h.rows().Entry(3).archivePath, "\\\\server\\share\\d.txt");
    EXPECT_TRUE(h.SelectedRows().empty());
    EXPECT_TRUE(h.doc->IsModified());
    EXPECT_EQ(h.ui.Count(UiCallKind::Beep), 0);
}

TEST(RenameDrive, RetriesUntilASingleLetterAndCancelChangesNothing) {
    OperationsHarness h;
    AddDriveEntries(h);
    h.Select({3});
    h.ui.QueuePrompt(kIdOk, "ef");
    h.ui.QueuePrompt(kIdOk, kRenameDriveRetryText);  // confirmed unchanged
    h.ui.QueuePrompt(kIdOk, "   ");
    h.ui.QueuePrompt(kIdOk, "1");
    h.ui.QueuePrompt(kIdOk, "f");

    EXPECT_TRUE(OnRenameDrive(*h.doc));

    const std::vector<UiCall> prompts = h.ui.CallsOf(UiCallKind::Prompt);
    ASSERT_EQ(prompts.size(), 5u);
    EXPECT_EQ(prompts[0].prompt.text, "") << "a share path has no drive";
    EXPECT_EQ(prompts[0].prompt.caption, "Change Archive Drive Letter (1 Files Selected)");
    EXPECT_EQ(prompts[1].prompt.text, "Enter a single letter for the drive!");
    EXPECT_EQ(prompts[2].prompt.text, "Enter a single letter for the drive!");
    EXPECT_EQ(prompts[3].prompt.text, "") << "empty text is asked again without a beep";
    EXPECT_EQ(prompts[4].prompt.text, "Enter a single letter for the drive!");
    EXPECT_EQ(h.ui.Count(UiCallKind::Beep), 3);
    EXPECT_EQ(h.rows().Entry(3).archivePath, "F:\\\\server\\share\\d.txt");

    OperationsHarness cancelled;
    AddDriveEntries(cancelled);
    cancelled.Select({0});
    cancelled.ui.QueuePrompt(kIdOk, "xy");
    cancelled.ui.QueuePrompt(kIdCancel, "");
    EXPECT_FALSE(OnRenameDrive(*cancelled.doc));
    EXPECT_EQ(cancelled.rows().Entry(0).archivePath, "C:\\Backup\\a.txt");
    EXPECT_EQ(cancelled.SelectedRows(), std::vector<int>{0});
    EXPECT_FALSE(cancelled.doc->IsModified());

    OperationsHarness none;
    AddDriveEntries(none);
    EXPECT_FALSE(OnRenameDrive(*none.doc));
    EXPECT_EQ(none.ui.Count(UiCallKind::Prompt), 0);
}

// Mount points as a POSIX desktop has them: a disk at /media/ann/usb, the rest on "/".
class FakeVolumes : public Volumes {
  public:
    explicit FakeVolumes(bool driveLetters = false) : driveLetters_(driveLetters) {}
    bool UsesDriveLetters() const override { return driveLetters_; }
    std::string MountPointOf(const std::string& path) override {
        asked.push_back(path);
        if (path.rfind("/media/ann/usb/", 0) == 0)
            return "/media/ann/usb";
        if (path.rfind("/unplugged/", 0) == 0)
            return "";
        return "/";
    }
    std::vector<std::string> asked;

  private:
    bool driveLetters_;
};

TEST(RenameDrive, PosixReplacesTheMountPointOfEverySelectedArchive) {
    OperationsHarness h;
    h.Add("/src/a.txt", "/media/ann/usb/a.txt");
    h.Add("/src/b.txt", "/media/ann/usb/docs/b.txt");
    h.Add("/src/c.txt", "/media/ann/usb2/c.txt");  // another disk whose name only begins so
    h.Add("/src/d.txt", "/media/ann/usb/d.txt");   // not selected
    h.Select({0, 1, 2});
    FakeVolumes volumes;
    h.ui.QueuePrompt(kIdOk, "  /mnt/backup/ ");
    EXPECT_TRUE(OnRenameDrive(*h.doc, &volumes));

    EXPECT_EQ(volumes.asked, std::vector<std::string>{"/media/ann/usb/a.txt"});
    const std::vector<UiCall> prompts = h.ui.CallsOf(UiCallKind::Prompt);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].prompt.caption, "Change Archive Drive Letter (3 Files Selected)");
    EXPECT_EQ(prompts[0].prompt.text, "/media/ann/usb");
    EXPECT_EQ(h.rows().Entry(0).archivePath, "/mnt/backup/a.txt");
    EXPECT_EQ(h.rows().Entry(1).archivePath, "/mnt/backup/docs/b.txt");
    EXPECT_EQ(h.rows().Entry(2).archivePath, "/media/ann/usb2/c.txt");
    EXPECT_EQ(h.rows().Entry(3).archivePath, "/media/ann/usb/d.txt");
    // The row that was not changed stays selected; the document is modified.
    EXPECT_EQ(h.SelectedRows(), std::vector<int>{2});
    EXPECT_TRUE(h.doc->IsModified());
    EXPECT_EQ(h.ui.Count(UiCallKind::Beep), 0);
}

TEST(RenameDrive, PosixAsksForAnAbsoluteFolderAndStartsUnmountedOnesAtTheirFolder) {
    OperationsHarness h;
    h.Add("/src/a.txt", "/unplugged/disk/a.txt");
    h.Add("/src/b.txt", "/home/ann/arc/b.txt");
    h.Select({0});
    FakeVolumes volumes;
    h.ui.QueuePrompt(kIdOk, "e");
    h.ui.QueuePrompt(kIdOk, kRenameFolderRetryText);  // confirmed unchanged
    h.ui.QueuePrompt(kIdOk, "  ");
    h.ui.QueuePrompt(kIdOk, "/media/disk");
    EXPECT_TRUE(OnRenameDrive(*h.doc, &volumes));
    const std::vector<UiCall> prompts = h.ui.CallsOf(UiCallKind::Prompt);
    ASSERT_EQ(prompts.size(), 4u);
    EXPECT_EQ(prompts[0].prompt.text, "/unplugged/disk");
    EXPECT_EQ(prompts[1].prompt.text, "Enter an absolute folder, such as /media/backup!");
    EXPECT_EQ(prompts[2].prompt.text, "Enter an absolute folder, such as /media/backup!");
    EXPECT_EQ(prompts[3].prompt.text, "");
    EXPECT_EQ(h.ui.Count(UiCallKind::Beep), 2);
    EXPECT_EQ(h.rows().Entry(0).archivePath, "/media/disk/a.txt");

    // An archive on the root file system: its mount point "/" begins every path.
    h.rows().SetSelected(1, true);
    h.ui.QueuePrompt(kIdOk, "/srv");
    EXPECT_TRUE(OnRenameDrive(*h.doc, &volumes));
    EXPECT_EQ(h.ui.CallsOf(UiCallKind::Prompt).back().prompt.text, "/");
    EXPECT_EQ(h.rows().Entry(1).archivePath, "/srv/home/ann/arc/b.txt");

    // Cancel changes nothing; Windows volumes keep the drive letters.
    OperationsHarness windows;
    AddDriveEntries(windows);
    windows.Select({0});
    FakeVolumes letters(true);
    windows.ui.QueuePrompt(kIdOk, "d");
    EXPECT_TRUE(OnRenameDrive(*windows.doc, &letters));
    EXPECT_TRUE(letters.asked.empty());
    EXPECT_EQ(windows.rows().Entry(0).archivePath, "D:\\Backup\\a.txt");
    OperationsHarness cancelled;
    cancelled.Add("/src/a.txt", "/media/ann/usb/a.txt");
    cancelled.Select({0});
    cancelled.ui.QueuePrompt(kIdCancel, "");
    EXPECT_FALSE(OnRenameDrive(*cancelled.doc, &volumes));
    EXPECT_EQ(cancelled.rows().Entry(0).archivePath, "/media/ann/usb/a.txt");
    EXPECT_FALSE(cancelled.doc->IsModified());
}

class MovePathTest : public ::testing::Test {
  protected:
    void SetUp() override {
        h.AddUpToDate("a.txt");
        h.AddUpToDate("b.txt");
        h.fs.AddFolder("/new");
        h.Select({0});
    }
    const CFileEntry& entry() const { return h.rows().Entry(0); }

    OperationsHarness h;
};

TEST_F(MovePathTest, MovesTheArchiveAndRetargetsWithoutEvaluating) {
    h.ui.QueuePrompt(kIdOk, "  /new/moved.txt\t");
    const std::int32_t archiveTime = entry().archiveTime;
    h.fs.ClearCalls();

    OnMovePath(*h.doc);

    const std::vector<UiCall> prompts = h.ui.CallsOf(UiCallKind::Prompt);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].prompt.caption, "Move Archive to new Folder and/or change Filename");
    EXPECT_EQ(prompts[0].prompt.text, "/arc/a.txt");
    EXPECT_TRUE(prompts[0].prompt.allowBrowse);
    EXPECT_EQ(h.fs.Content("/new/moved.txt"), "same");
    EXPECT_FALSE(h.fs.Exists("/arc/a.txt"));
    EXPECT_EQ(entry().archivePath, "/new/moved.txt");
    EXPECT_EQ(entry().archiveTime, archiveTime);
    EXPECT_EQ(h.fs.CountCalls(FsOperation::GetAttributes, "/new/"), 0) << "not evaluated again";
    EXPECT_TRUE(h.doc->IsModified());
    EXPECT_TRUE(h.Boxes().empty());
}

TEST_F(MovePathTest, AnOldArchiveThatAnotherEntryUsesStays) {
    // Another source shares the archive, and a third entry backs the archive up in turn.
    h.fs.AddFile("/src/b.txt", "b", 2000);
    h.Add("/src/b.txt", "/arc/a.txt");
    h.Add("/arc/a.txt", "/arc/copy-of-a.txt");
    h.ui.QueuePrompt(kIdOk, "/new/moved.txt");
    OnMovePath(*h.doc);
    EXPECT_EQ(entry().archivePath, "/new/moved.txt");
    EXPECT_EQ(h.fs.Content("/new/moved.txt"), "same");
    EXPECT_EQ(h.fs.Content("/arc/a.txt"), "same");
}

TEST_F(MovePathTest, IdenticalPathsAreRefused) {
    h.ui.QueuePrompt(kIdOk, "/ARC/A.TXT");
    h.ui.QueuePrompt(kIdOk, "/Src/a.txt ");
    OnMovePath(*h.doc);
    OnMovePath(*h.doc);
    const std::vector<UiCall> boxes = h.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text,
              "New and previous Archive paths are identical!\n\nOperation will be aborted.");
    EXPECT_EQ(boxes[1].text,
              "Source and new Archive paths are identical!\n\nOperation will be aborted.");
    for (const UiCall& box : boxes) {
        EXPECT_EQ(box.caption, "Move Archive's File");
        EXPECT_EQ(box.flags, kMbOk | kMbIconExclamation);
    }
    EXPECT_EQ(h.fs.CountCalls(FsOperation::Copy), 0);
    EXPECT_FALSE(h.doc->IsModified());
}

TEST_F(MovePathTest, ExistingTargetIsReplacedOnlyAfterYes) {
    h.fs.AddFile("/new/taken.txt", "other", 5);
    h.ui.QueuePrompt(kIdOk, "/new/taken.txt");
    h.ui.QueueMessageBoxAnswer(kIdNo);
    OnMovePath(*h.doc);
    ASSERT_EQ(h.Boxes().size(), 1u);
    EXPECT_EQ(h.Boxes()[0].text,
              "taken.txt\n\nalready exists in directory\n\n/new/\n\nCopy over it?");
    EXPECT_EQ(h.Boxes()[0].caption, "Move Archive's File");
    EXPECT_EQ(h.Boxes()[0].flags, kMbYesNo | kMbIconQuestion);
    EXPECT_EQ(h.fs.Content("/new/taken.txt"), "other");
    EXPECT_EQ(entry().archivePath, "/arc/a.txt");
    EXPECT_FALSE(h.doc->IsModified());

    h.ui.QueuePrompt(kIdOk, "/new/taken.txt");
    h.ui.QueueMessageBoxAnswer(kIdYes);
    OnMovePath(*h.doc);
    EXPECT_EQ(h.fs.Content("/new/taken.txt"), "same");
    EXPECT_FALSE(h.fs.Exists("/arc/a.txt"));
    EXPECT_EQ(entry().archivePath, "/new/taken.txt");
    EXPECT_TRUE(h.doc->IsModified());
}

TEST_F(MovePathTest, SecondFailureShowsTheSystemText) {
    h.ui.QueuePrompt(kIdOk, "/missing/a.txt");
    h.ui.QueueMessageBoxAnswer(kIdYes);
    OnMovePath(*h.doc);
    const std::vector<UiCall> boxes = h.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "a.txt\n\nalready exists in directory\n\n/missing/\n\nCopy over it?");
    EXPECT_EQ(boxes[1].text, "No such file or directory");
    EXPECT_EQ(boxes[1].caption, "Move Archive's File");
    EXPECT_EQ(boxes[1].flags, kMbOk | kMbIconInformation);
    EXPECT_TRUE(h.fs.Exists("/arc/a.txt"));
    EXPECT_EQ(entry().archivePath, "/arc/a.txt");
    EXPECT_FALSE(h.doc->IsModified());
}

TEST_F(MovePathTest, AnotherSpellingOfTheSameFileKeepsTheOnlyCopy) {
    h.ui.QueuePrompt(kIdOk, "/arc/./a.txt");
    h.ui.QueueMessageBoxAnswer(kIdYes);
    OnMovePath(*h.doc);
    EXPECT_TRUE(h.fs.Exists("/arc/a.txt"));
    EXPECT_EQ(h.fs.Content("/arc/a.txt"), "same");
    EXPECT_EQ(entry().archivePath, "/arc/./a.txt");
    EXPECT_EQ(h.fs.CountCalls(FsOperation::Remove), 0);
}

TEST_F(MovePathTest, TheSourceUnderAnotherSpellingIsRefused) {
    h.fs.AddLink("/src/a.txt", "/new/link.txt");
    h.ui.QueuePrompt(kIdOk, "/src/./a.txt");
    h.ui.QueuePrompt(kIdOk, "/new/link.txt");
    OnMovePath(*h.doc);
    OnMovePath(*h.doc);
    const std::vector<UiCall> boxes = h.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (const UiCall& box : boxes) {
        EXPECT_EQ(box.text,
                  "Source and new Archive paths are identical!\n\nOperation will be aborted.");
    }
    EXPECT_EQ(h.fs.Content("/src/a.txt"), "same");
    EXPECT_EQ(h.fs.CountCalls(FsOperation::Copy), 0);
    EXPECT_EQ(entry().archivePath, "/arc/a.txt");
}

TEST_F(MovePathTest, NeedsExactlyOneSelectedRow) {
    h.Select({1});
    OnMovePath(*h.doc);
    EXPECT_EQ(h.ui.Count(UiCallKind::Prompt), 0);
}

TEST(AdditionalPath, AddsAnEntryBelowItsOrigin) {
    OperationsHarness h;
    h.AddUpToDate("a.txt");
    h.AddUpToDate("b.txt").notes = "b notes";
    h.AddUpToDate("c.txt");
    h.fs.AddFolder("/second");
    h.Select({1});
    h.ui.QueuePrompt(kIdOk, " /second/b.txt ");

    OnAdditionalPath(*h.doc);

    const std::vector<UiCall> prompts = h.ui.CallsOf(UiCallKind::Prompt);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].prompt.caption, "Enter Additional Archive Path");
    EXPECT_EQ(prompts[0].prompt.text, "/arc/b.txt");
    EXPECT_TRUE(prompts[0].prompt.allowBrowse);
    EXPECT_EQ(h.fs.Content("/second/b.txt"), "same");
    EXPECT_EQ(h.fs.LastWrite("/second/b.txt"), 2000);
    ASSERT_EQ(h.doc->rows().Count(), 4);
    const CFileEntry& added = h.rows().Entry(2);
    EXPECT_EQ(added.sourcePath, "/src/b.txt");
    EXPECT_EQ(added.archivePath, "/second/b.txt");
    EXPECT_EQ(added.notes, "b notes");
    EXPECT_EQ(added.textColor, kColorUpToDate);
    ASSERT_EQ(h.rows().Count(), 4);
    EXPECT_EQ(&h.rows().Entry(2), &added);
    EXPECT_EQ(h.rows().Entry(3).sourcePath, "/src/c.txt");
    EXPECT_EQ(h.SelectedRows(), std::vector<int>{1});
    EXPECT_EQ(h.rows().Entry(1).archivePath, "/arc/b.txt");
    EXPECT_TRUE(h.doc->IsModified());
    EXPECT_TRUE(h.doc->rows().HasSource("/SRC/B.TXT"));
}

TEST(AdditionalPath, RefusalsAndFailuresChangeNothing) {
    OperationsHarness h;
    h.AddUpToDate("a.txt");
    h.Select({0});
    h.ui.QueuePrompt(kIdOk, "/arc/A.txt");
    OnAdditionalPath(*h.doc);
    h.ui.QueuePrompt(kIdOk, "/src/a.txt");
    OnAdditionalPath(*h.doc);
    h.ui.QueuePrompt(kIdOk, "/nowhere/a.txt");
    h.ui.QueueMessageBoxAnswer(kIdYes);
    OnAdditionalPath(*h.doc);
    h.ui.QueuePrompt(kIdOk, "/nowhere/a.txt");
    h.ui.QueueMessageBoxAnswer(kIdNo);
    OnAdditionalPath(*h.doc);
    h.ui.QueuePrompt(kIdCancel, "");
    OnAdditionalPath(*h.doc);
    const std::vector<UiCall> boxes = h.Boxes();
    ASSERT_EQ(boxes.size(), 5u);
    for (const UiCall& box : boxes) {
        EXPECT_EQ(box.caption, "Additional Backup to Different Path");
    }
    EXPECT_EQ(boxes[0].text,
              "New and previous Archive paths are identical!\n\nOperation will be aborted.");
    EXPECT_EQ(boxes[1].text,
              "Source and new Archive paths are identical!\n\nOperation will be aborted.");
    EXPECT_EQ(boxes[2].text, "a.txt\n\nalready exists in directory\n\n/nowhere/\n\nCopy over it?");
    EXPECT_EQ(boxes[3].text, "No such file or directory");
    EXPECT_EQ(boxes[3].flags, kMbOk | kMbIconInformation);
    EXPECT_EQ(boxes[4].flags, kMbYesNo | kMbIconQuestion);
    EXPECT_EQ(h.doc->rows().Count(), 1);
    EXPECT_EQ(h.rows().Count(), 1);
    EXPECT_FALSE(h.doc->IsModified());
    EXPECT_TRUE(h.ui.UnexpectedCalls().empty());
}

}  // namespace
}  // namespace bh
