#include "core/operations/AddFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/operations/AddFiles.h"
#include "core/operations/AddFolderCommand.h"
#include "core/operations/ManagerFile.h"
#include "core/ports/MessageBoxFlags.h"
#include "support/DocumentHarness.h"

namespace bh {
namespace {

using ItemKind = FileSystem::ItemKind;

// The manager /m/team.bak, open and empty.
struct Titled : test::DocumentHarness {
    Titled() {
        WriteManager("/m/team.bak", {});
        EXPECT_TRUE(OpenDocumentFile(*doc, "/m/team.bak"));
        ui.ClearCalls();
    }

    // "source -> archive" of every row, in row order.
    std::vector<std::string> Pairs() const {
        std::vector<std::string> pairs;
        for (int row = 0; row < rows().Count(); ++row) {
            pairs.push_back(rows().Entry(row).sourcePath + " -> " + rows().Entry(row).archivePath);
        }
        return pairs;
    }
};

std::vector<std::string> Paths(const std::vector<PathNote>& notes) {
    std::vector<std::string> paths;
    for (const PathNote& note : notes) {
        paths.push_back(note.path + ": " + note.reason);
    }
    return paths;
}

// A source tree with nested folders, links to a file and to a folder, a FIFO and an empty
// folder, its names given out of order.
void MakeTree(MemoryFileSystem& fs) {
    fs.AddFile("/src/z.txt", "z");
    fs.AddFile("/src/sub/deep/c.txt", "c");
    fs.AddFile("/src/sub/b.txt", "b");
    fs.AddFile("/src/a.txt", "a");
    fs.AddSpecial("/src/link.txt", ItemKind::Link);
    fs.AddSpecial("/src/sub/folder-link", ItemKind::Link);
    fs.AddSpecial("/src/pipe", ItemKind::Other);
    fs.AddFolder("/src/empty");
}

TEST(AddFolder, AddsEveryRegularFileAtItsRelativePathAndSkipsTheRest) {
    Titled h;
    MakeTree(h.fs);
    const AddFolderResult result = AddFolder(*h.doc, "/src", "/arc/src");
    EXPECT_EQ(result.outcome, AddFolderOutcome::Done);
    EXPECT_EQ(h.Pairs(), (std::vector<std::string>{
                             "/src/a.txt -> /arc/src/a.txt",
                             "/src/sub/b.txt -> /arc/src/sub/b.txt",
                             "/src/sub/deep/c.txt -> /arc/src/sub/deep/c.txt",
                             "/src/z.txt -> /arc/src/z.txt",
                         }));
    for (const char* archive :
         {"/arc/src/a.txt", "/arc/src/sub/b.txt", "/arc/src/sub/deep/c.txt", "/arc/src/z.txt"}) {
        EXPECT_TRUE(h.fs.Exists(archive)) << archive;
        EXPECT_EQ(h.fs.Content(archive), "") << archive;
    }
    EXPECT_FALSE(h.fs.Exists("/arc/src/empty")) << "folders are made only for files";
    EXPECT_FALSE(h.fs.Exists("/arc/src/link.txt"));
    EXPECT_EQ(Paths(result.skipped), (std::vector<std::string>{
                                         "/src/link.txt: " + std::string(kLinkReason),
                                         "/src/pipe: " + std::string(kSpecialReason),
                                         "/src/sub/folder-link: " + std::string(kLinkReason),
                                     }));
    EXPECT_TRUE(result.failed.empty());
    EXPECT_EQ(result.counts.added, 4);
    EXPECT_EQ(result.counts.skipped, 3);
    EXPECT_EQ(result.counts.failed, 0);
    EXPECT_EQ(result.createdArchives.size(), 4u);
    EXPECT_TRUE(h.doc->IsModified());
    EXPECT_TRUE(h.ui.MessageBoxes().empty());
    // A link is never listed nor read through.
    EXPECT_EQ(h.fs.CountCalls(FsOperation::ListFolder, "link"), 0);
}

TEST(AddFolder, ASecondRunAddsOnlyTheNewFiles) {
    Titled h;
    MakeTree(h.fs);
    ASSERT_EQ(AddFolder(*h.doc, "/src", "/arc").counts.added, 4);
    h.fs.AddFile("/src/sub/new.txt", "n");
    h.fs.ClearCalls();
    const AddFolderResult again = AddFolder(*h.doc, "/src/", "/arc/");
    EXPECT_EQ(again.counts.added, 1);
    EXPECT_EQ(again.counts.alreadyInManager, 4);
    EXPECT_EQ(h.rows().Count(), 5);
    EXPECT_EQ(h.rows().Entry(4).archivePath, "/arc/sub/new.txt");
    EXPECT_EQ(h.fs.CountCalls(FsOperation::CreateEmpty), 1);
    EXPECT_FALSE(h.fs.Exists("/arc/a[1].txt"));
    // Only the folder of the new file is made again.
    EXPECT_EQ(h.fs.CountCalls(FsOperation::CreateFolders), 1);
}

TEST(AddFolder, DuplicateSourcesAndTakenNamesFollowTheAddRules) {
    Titled h;
    h.fs.AddFile("/src/a.txt", "a");
    h.fs.AddFile("/src/b.txt", "b");
    h.fs.AddFile("/src/sub/a.txt", "a2");
    ASSERT_EQ(AddFile(*h.doc, "/src/b.txt"), AddFileResult::Added);  // archive /m/b.txt
    h.fs.AddFile("/arc/a.txt", "someone else's file");
    h.fs.AddFolder("/arc/sub/a.txt");
    const AddFolderResult result = AddFolder(*h.doc, "/src", "/arc");
    EXPECT_EQ(h.Pairs(), (std::vector<std::string>{
                             "/src/b.txt -> /m/b.txt",
                             "/src/a.txt -> /arc/a[1].txt",
                             "/src/sub/a.txt -> /arc/sub/a[1].txt",
                         }));
    EXPECT_EQ(h.fs.Content("/arc/a.txt"), "someone else's file");
    EXPECT_EQ(result.counts.added, 2);
    EXPECT_EQ(result.counts.alreadyInManager, 1);

    // Every substitute taken: a listed failure, no box per file.
    h.fs.AddFile("/src2/full.txt", "f");
    h.fs.AddFile("/arc2/full.txt", "");
    for (int k = 1; k < kArchiveNameTries; ++k) {
        h.fs.AddFile("/arc2/full[" + std::to_string(k) + "].txt", "");
    }
    const AddFolderResult full = AddFolder(*h.doc, "/src2", "/arc2");
    EXPECT_EQ(full.counts.failed, 1);
    EXPECT_EQ(Paths(full.failed),
              (std::vector<std::string>{
                  "/src2/full.txt: not added: no substitute archive name is free",
              }));
    EXPECT_TRUE(h.ui.MessageBoxes().empty());
}

TEST(AddFolder, AnArchiveFolderInsideTheFolderIsNeverEntered) {
    Titled h;
    h.fs.AddFile("/src/a.txt", "a");
    h.fs.AddFile("/src/work/b.txt", "b");
    // Not there yet: the walk is over before any archive folder is made.
    AddFolderResult first = AddFolder(*h.doc, "/src", "/src/backup");
    EXPECT_EQ(first.counts.added, 2);
    ASSERT_TRUE(h.fs.Exists("/src/backup/a.txt"));
    // There now, spelled otherwise: still not entered, and named.
    h.fs.AddFile("/src/c.txt", "c");
    h.fs.ClearCalls();
    AddFolderResult second = AddFolder(*h.doc, "/src", "/src/./backup/");
    EXPECT_EQ(second.counts.added, 1);
    EXPECT_EQ(second.counts.alreadyInManager, 2);
    EXPECT_EQ(Paths(second.skipped),
              (std::vector<std::string>{"/src/backup: " + std::string(kArchiveFolderReason)}));
    EXPECT_EQ(h.fs.CountCalls(FsOperation::ListFolder, "/src/backup"), 0);
    for (int row = 0; row < h.rows().Count(); ++row) {
        EXPECT_EQ(h.rows().Entry(row).sourcePath.find("/src/backup/"), std::string::npos);
    }
}

TEST(AddFolder, RefusalsChangeNothing) {
    Titled h;
    h.fs.AddFile("/src/a.txt", "a");
    h.fs.AddFile("/file.txt", "f");
    h.fs.AddSpecial("/link-to-src", ItemKind::Link);
    const auto state = h.State();
    const auto paths = h.fs.Paths();
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"/src", "/src"},      {"/src", "/src/"},        {"/src/", "/./src"},
        {"src", "/arc"},       {"/src", "arc"},          {"/missing", "/arc"},
        {"/file.txt", "/arc"}, {"/link-to-src", "/arc"}, {"/src", "/file.txt"},
    };
    for (const auto& [folder, archive] : refused) {
        const AddFolderResult result = AddFolder(*h.doc, folder, archive);
        EXPECT_EQ(result.outcome, AddFolderOutcome::Refused) << folder << " " << archive;
        EXPECT_FALSE(result.refusal.empty());
    }
    EXPECT_EQ(AddFolder(*h.doc, "/src", "/src").refusal,
              "The archive folder is the folder being added: the archives would take the "
              "sources' names.\n\nChoose another archive folder.");
    EXPECT_EQ(AddFolder(*h.doc, "/missing", "/arc").refusal,
              "/missing\n\nis not a folder (a symbolic link is not followed).");
    EXPECT_EQ(h.State(), state);
    EXPECT_EQ(h.fs.Paths(), paths);
    EXPECT_FALSE(h.fs.Exists("/arc"));
    EXPECT_EQ(AddFolder(*h.doc, "/src", "/file.txt").refusal,
              "/file.txt\n\ncannot be the archive folder: File exists");

    test::DocumentHarness untitled;
    untitled.fs.AddFile("/src/a.txt", "a");
    EXPECT_EQ(AddFolder(*untitled.doc, "/src", "/arc").refusal,
              "Open or create a New backup manager first!");
    EXPECT_EQ(untitled.rows().Count(), 0);
}

TEST(AddFolder, TheManagersOwnFilesAreNeverAdded) {
    test::DocumentHarness h;
    h.WriteManager("/home/ann/team.bak", {});
    h.fs.AddFile("/home/ann/team.bak.options", "keepVersions=2\n");
    h.fs.AddFile("/home/ann/notes.txt", "n");
    h.fs.AddFile("/home/ann/other/team.bak", "another manager of that name");
    ASSERT_TRUE(OpenDocumentFile(*h.doc, "/home/ann/team.bak"));
    const AddFolderResult result = AddFolder(*h.doc, "/home/ann", "/arc");
    std::vector<std::string> sources;
    for (int row = 0; row < h.rows().Count(); ++row) {
        sources.push_back(h.rows().Entry(row).sourcePath);
    }
    EXPECT_EQ(sources,
              (std::vector<std::string>{"/home/ann/notes.txt", "/home/ann/other/team.bak"}));
    EXPECT_EQ(Paths(result.skipped),
              (std::vector<std::string>{
                  "/home/ann/team.bak: " + std::string(kManagerFileReason),
                  "/home/ann/team.bak.options: " + std::string(kManagerFileReason),
              }));
}

TEST(AddFolder, UnreadableFoldersAndOverlongPathsAreListedAndTheRestGoesOn) {
    Titled h;
    h.fs.AddFile("/src/a.txt", "a");
    h.fs.AddFile("/src/locked/secret.txt", "s");
    h.fs.AddFile("/src/z.txt", "z");
    const std::string longName(4100, 'n');
    h.fs.AddFile("/src/" + longName, "too long to name");
    // The source fits (4071 bytes) but its archive below a longer folder would not.
    const std::string deepName(4060, 'd');
    h.fs.AddFile("/src/" + deepName + "/x.txt", "x");
    FaultPoint denied;
    denied.operation = FsOperation::ListFolder;
    denied.pathSubstring = "/src/locked";
    denied.error = ErrorCode(13);
    h.fs.InjectFailure(denied);
    const std::string archiveRoot = "/" + std::string(60, 'a');
    const AddFolderResult result = AddFolder(*h.doc, "/src", archiveRoot);
    EXPECT_EQ(result.outcome, AddFolderOutcome::Done);
    EXPECT_EQ(h.Pairs(), (std::vector<std::string>{
                             "/src/a.txt -> " + archiveRoot + "/a.txt",
                             "/src/z.txt -> " + archiveRoot + "/z.txt",
                         }));
    EXPECT_EQ(Paths(result.failed),
              (std::vector<std::string>{
                  "/src/locked: folder not read: Permission denied",
                  "/src/" + longName + ": File name too long",
                  "/src/" + deepName + "/x.txt: not added: the archive path would be too long",
              }));
    EXPECT_EQ(result.counts.failed, 3);
    // Nothing was cut short to fit: no folder was made for the file that did not fit.
    for (const std::string& path : h.fs.Paths()) {
        EXPECT_NE(path.rfind(archiveRoot + "/d", 0), 0u) << path.substr(0, 80);
    }
}

// A user interface whose progress bar is stopped once it was stepped `stopAfter` times.
class StoppingUserInterface : public ScriptedUserInterface {
  public:
    explicit StoppingUserInterface(int stopAfter) : stopAfter_(stopAfter) {}

    std::unique_ptr<ProgressIndicator> CreateStatusProgress(const std::string& caption) override {
        captions_.push_back(caption);
        return std::make_unique<Progress>(ScriptedUserInterface::CreateStatusProgress(caption),
                                          stopAfter_);
    }
    std::vector<std::string> captions_;

  private:
    class Progress : public ProgressIndicator {
      public:
        Progress(std::unique_ptr<ProgressIndicator> inner, int stopAfter)
            : inner_(std::move(inner)), stopAfter_(stopAfter) {}
        void SetRange(int lower, int upper) override { inner_->SetRange(lower, upper); }
        void SetStep(int step) override { inner_->SetStep(step); }
        void StepIt() override {
            inner_->StepIt();
            ++steps_;
        }
        void SetPos(int pos) override { inner_->SetPos(pos); }
        int GetPos() const override { return inner_->GetPos(); }
        void AllowCancel() override { offered_ = true; }
        bool CancelRequested() const override { return offered_ && steps_ >= stopAfter_; }

      private:
        std::unique_ptr<ProgressIndicator> inner_;
        int stopAfter_;
        int steps_ = 0;
        bool offered_ = false;
    };
    int stopAfter_;
};

TEST(AddFolder, StoppingBetweenTwoFilesKeepsWhatWasAdded) {
    test::DocumentHarness h;
    StoppingUserInterface ui(2);
    Services services{h.fs, h.shell, ui, h.settings, h.clock, h.errors};
    CBrackenholdDoc doc(services, nullptr, "./");
    h.fs.AddFolder("/m");
    doc.SetPathName("/m/team.bak");
    for (const char* name : {"a", "b", "c", "d", "e"}) {
        h.fs.AddFile(std::string("/src/") + name, name);
    }
    const AddFolderResult result = AddFolder(doc, "/src", "/arc");
    EXPECT_EQ(result.outcome, AddFolderOutcome::Stopped);
    EXPECT_EQ(result.counts.added, 2);
    EXPECT_EQ(result.counts.notReached, 3);
    ASSERT_EQ(doc.rows().Count(), 2);
    EXPECT_EQ(doc.rows().Entry(1).sourcePath, "/src/b");
    EXPECT_TRUE(h.fs.Exists("/arc/b"));
    EXPECT_FALSE(h.fs.Exists("/arc/c"));
    EXPECT_EQ(ui.captions_, std::vector<std::string>{kAddFolderProgressCaption});
    EXPECT_NE(AddFolderSummary(result).find("Stopped before 3 more files."), std::string::npos);
}

TEST(AddFolder, TheCommandAsksBothFoldersAndSummarises) {
    Titled h;
    MakeTree(h.fs);
    h.doc->addDirStr = "/home/ann/";
    h.rows().Append(std::make_unique<CFileEntry>("/x", "/y", "", h.shell, h.fs));
    h.rows().SetSelected(0, true);
    h.ui.QueuePrompt(kIdOk, "  /src  ");
    h.ui.QueuePrompt(kIdOk, "/arc/src");
    OnAddFolder(*h.doc);
    const auto prompts = h.ui.CallsOf(UiCallKind::Prompt);
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(prompts[0].prompt.text, "/home/ann/");
    EXPECT_EQ(prompts[0].caption, kAddFolderSourcePrompt);
    EXPECT_TRUE(prompts[0].prompt.allowBrowse);
    // The archive folder starts beside the manager, under the folder's name.
    EXPECT_EQ(prompts[1].prompt.text, "/m/src");
    EXPECT_TRUE(prompts[1].prompt.allowBrowse);
    EXPECT_EQ(h.rows().Count(), 5);
    EXPECT_FALSE(h.rows().IsSelected(0));
    EXPECT_EQ(h.doc->addDirStr, "/src/");
    auto boxes = h.ui.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, kAddFolderCaption);
    EXPECT_EQ(boxes[0].flags, kMbOk | kMbIconInformation);
    EXPECT_EQ(boxes[0].text,
              "Files added: 4\nAlready in the backup manager: 0\nSkipped (links, special files): "
              "3\nNot added: 0\n\n/src/link.txt: " +
                  std::string(kLinkReason) + "\n/src/pipe: " + kSpecialReason +
                  "\n/src/sub/folder-link: " + kLinkReason);

    // A refusal is shown and changes nothing; Cancel at either prompt does nothing.
    h.ui.ClearCalls();
    h.ui.QueuePrompt(kIdOk, "/src");
    h.ui.QueuePrompt(kIdOk, "/src/");
    OnAddFolder(*h.doc);
    boxes = h.ui.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].flags, kMbOk | kMbIconExclamation);
    EXPECT_EQ(boxes[0].text.rfind("The archive folder is the folder being added", 0), 0u);
    h.ui.QueuePrompt(kIdOk, "/src");
    h.ui.QueuePrompt(kIdCancel, "");
    OnAddFolder(*h.doc);
    h.ui.QueuePrompt(kIdCancel, "");
    OnAddFolder(*h.doc);
    EXPECT_EQ(h.ui.MessageBoxes().size(), 1u);
    EXPECT_EQ(h.rows().Count(), 5);

    // A folder beside the manager is not offered as its own archive folder.
    h.fs.AddFile("/m/docs/d.txt", "d");
    h.ui.ClearCalls();
    h.ui.QueuePrompt(kIdOk, "/m/docs/");
    OnAddFolder(*h.doc);
    ASSERT_EQ(h.ui.CallsOf(UiCallKind::Prompt).size(), 2u);
    EXPECT_EQ(h.ui.CallsOf(UiCallKind::Prompt)[1].prompt.text, "/m/docs-archive");
}

TEST(AddFolder, TheSummaryNamesTheFirstPathsAndCountsTheRest) {
    AddFolderResult result;
    result.counts.failed = 2;
    result.counts.skipped = 10;
    result.failed = {{"/f1", "not added: x"}, {"/f2", "folder not read: y"}};
    for (int i = 0; i < 10; ++i) {
        result.skipped.push_back({"/s" + std::to_string(i), kLinkReason});
    }
    const std::string text = AddFolderSummary(result);
    // Failures first, then skipped paths, eight in all.
    EXPECT_NE(text.find("\n\n/f1: not added: x\n/f2: folder not read: y\n/s0: "),
              std::string::npos);
    EXPECT_NE(text.find("/s5: "), std::string::npos);
    EXPECT_EQ(text.find("/s6: "), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 16), "\n... and 4 more.");
}

}  // namespace
}  // namespace bh
