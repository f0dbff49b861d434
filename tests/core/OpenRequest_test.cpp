#include "core/operations/OpenRequest.h"

#include <gtest/gtest.h>

#include "core/operations/ManagerFile.h"
#include "core/ports/MessageBoxFlags.h"
#include "support/DocumentHarness.h"

namespace bh {
namespace {

using test::DocumentHarness;
using Kind = OpenRequestResult::Kind;

TEST(OpenRequest, RecentManagersOpenOtherPathsAreAdded) {
    DocumentHarness h;
    h.WriteManager("/m/team.bak", {});
    h.WriteManager("/m/known.bak", {{"/s/k", "/m/k", ""}});
    h.recent.Add("/m/known.bak");
    ASSERT_TRUE(OpenDocumentFile(*h.doc, "/m/team.bak"));

    // Dropped in other letter case: the path is in the recent list, so it opens.
    h.fs.AddFile("/M/KNOWN.BAK", EncodeManager({{"/s/k", "/m/k", ""}}));
    OpenRequestResult result = OpenRequest(*h.doc, "/M/KNOWN.BAK");
    EXPECT_EQ(result.kind, Kind::OpenedManager);
    EXPECT_EQ(h.doc->PathName(), "/M/KNOWN.BAK");
    EXPECT_EQ(h.doc->rows().Count(), 1);

    // A manager that is not in the list is added as a file.
    h.WriteManager("/x/stranger.bak", {});
    result = OpenRequest(*h.doc, "/x/stranger.bak");
    EXPECT_EQ(result.kind, Kind::AddedAsFile);
    EXPECT_EQ(result.addResult, AddFileResult::Added);
    ASSERT_EQ(h.doc->rows().Count(), 2);
    EXPECT_EQ(h.doc->rows().Entry(1).archivePath, "/M/stranger.bak");
    EXPECT_TRUE(h.doc->IsModified());
}

TEST(OpenRequest, OpeningAsksToSaveAndFailuresKeepTheManager) {
    DocumentHarness h;
    h.WriteManager("/m/team.bak", {});
    h.fs.AddFile("/m/broken.bak", "garbage");
    h.recent.Add("/m/broken.bak");
    ASSERT_TRUE(OpenDocumentFile(*h.doc, "/m/team.bak"));
    h.fs.AddFile("/s/a", "a");
    ASSERT_EQ(AddFile(*h.doc, "/s/a"), AddFileResult::Added);

    // Cancelled save question: nothing opens.
    h.ui.ClearCalls();
    h.ui.QueueMessageBoxAnswer(kIdCancel);
    EXPECT_EQ(OpenRequest(*h.doc, "/m/broken.bak").kind, Kind::ManagerNotOpened);
    EXPECT_EQ(h.doc->PathName(), "/m/team.bak");

    // No, then the file is not a manager: the open manager stays, still modified.
    h.ui.ClearCalls();
    h.ui.QueueMessageBoxAnswer(kIdNo);
    EXPECT_EQ(OpenRequest(*h.doc, "/m/broken.bak").kind, Kind::ManagerNotOpened);
    const auto boxes = h.ui.MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Save changes to team.bak?");
    EXPECT_EQ(boxes[1].text, "This is not a Backup file!");
    EXPECT_EQ(h.doc->PathName(), "/m/team.bak");
    EXPECT_EQ(h.doc->rows().Count(), 1);
    EXPECT_TRUE(h.doc->IsModified());
    EXPECT_EQ(h.recent.Paths().front(), "/m/team.bak");

    // The manager already open is kept as it is, unsaved changes included.
    h.ui.ClearCalls();
    EXPECT_TRUE(OpenManagerPath(*h.doc, "/M/team.bak"));
    EXPECT_TRUE(h.ui.MessageBoxes().empty());
    EXPECT_EQ(h.doc->rows().Count(), 1);
}

TEST(OpenRequest, ManagersHandedOverByTheDesktopOpenByTheirBytes) {
    DocumentHarness h;
    h.fs.AddFolder("/m");
    h.WriteManager("/m/team.bak", {{"/s/a", "/m/a", ""}});
    h.WriteManager("/x/stranger.mgr", {{"/s/k", "/m/k", ""}, {"/s/l", "/m/l", ""}});
    ASSERT_TRUE(OpenDocumentFile(*h.doc, "/m/team.bak"));
    h.doc->SetModifiedFlag(true);

    // Not in the recent list, not even named *.bak: the header bytes make it a manager, and
    // the modified manager is offered for saving first (Cancel keeps it).
    h.ui.QueueMessageBoxAnswer(kIdCancel);
    EXPECT_EQ(ShellOpenRequest(*h.doc, "/x/stranger.mgr").kind, Kind::ManagerNotOpened);
    EXPECT_EQ(h.doc->PathName(), "/m/team.bak");
    ASSERT_EQ(h.ui.MessageBoxes().size(), 1u);
    EXPECT_EQ(h.ui.MessageBoxes()[0].text, "Save changes to team.bak?");
    h.ui.QueueMessageBoxAnswer(kIdNo);
    EXPECT_EQ(ShellOpenRequest(*h.doc, "/x/stranger.mgr").kind, Kind::OpenedManager);
    EXPECT_EQ(h.doc->PathName(), "/x/stranger.mgr");
    EXPECT_EQ(h.doc->rows().Count(), 2);

    // An empty *.bak (a file manager's new document) opens empty; other files become entries,
    // as a drop makes them.
    h.fs.AddFile("/m/new.bak", "");
    EXPECT_EQ(ShellOpenRequest(*h.doc, "/m/new.bak").kind, Kind::OpenedManager);
    EXPECT_EQ(h.doc->PathName(), "/m/new.bak");
    h.fs.AddFile("/s/notes.txt", "Brackenhold Version 1 is not the header");
    h.fs.AddFile("/s/empty.txt", "");
    EXPECT_EQ(ShellOpenRequest(*h.doc, "/s/notes.txt").kind, Kind::AddedAsFile);
    EXPECT_EQ(ShellOpenRequest(*h.doc, "/s/empty.txt").kind, Kind::AddedAsFile);
    EXPECT_EQ(h.doc->rows().Count(), 2);
    EXPECT_EQ(ShellOpenRequest(*h.doc, "/nowhere/gone.bak").kind, Kind::AddedAsFile);
    EXPECT_FALSE(LooksLikeManager(*h.doc, "/m"));
}

}  // namespace
}  // namespace bh
