#include "core/app/ManagerLockedCommands.h"

#include <gtest/gtest.h>

#include "core/base/CommandIds.h"
#include "core/operations/BackupRun.h"
#include "core/operations/ManagerFile.h"
#include "core/operations/ManagerGuard.h"
#include "core/ports/MessageBoxFlags.h"
#include "platform/memory/FakeManagerLock.h"
#include "support/DocumentHarness.h"

namespace bh {
namespace {

const std::string kManager = "/m/team.bak";

class ManagerLockedCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        h_.services.managerLock = &lock_;
        h_.fs.AddFile("/s/a", "abc", 2000);
        h_.fs.AddFile("/m/a", "old", 1000);  // out of date: a backup would copy
        h_.WriteManager(kManager, {{"/s/a", "/m/a", ""}});
        ASSERT_TRUE(OpenDocumentFile(*h_.doc, kManager));
    }

    bool RunCommand(int id) {
        bool ran = false;
        const bool reported = RunWithManagerLock(id, *h_.doc, [&ran] { ran = true; });
        EXPECT_EQ(reported, ran) << id;
        return ran;
    }

    test::DocumentHarness h_;
    FakeManagerLock lock_;
};

TEST_F(ManagerLockedCommandsTest, WritingCommandsRefuseAManagerAnotherProgramHolds) {
    lock_.busy.insert(kManager);
    // A real backup: nothing may reach the archive.
    EXPECT_FALSE(RunWithManagerLock(kCmdBackupAll, *h_.doc, [this] { OnBackupAll(*h_.doc); }));
    EXPECT_EQ(h_.fs.Content("/m/a"), "old");
    for (const int id :
         {kCmdFileSave, kCmdBackupSelected, kCmdRestoreSelected, kCmdVerifySelected}) {
        EXPECT_FALSE(RunCommand(id)) << id;
    }
    const auto boxes = h_.ui.MessageBoxes();
    ASSERT_EQ(boxes.size(), 5u);
    for (const UiCall& box : boxes) {
        EXPECT_EQ(box.text, ManagerBusyText(kManager));
        EXPECT_EQ(box.caption, kManagerBusyCaption);
        EXPECT_EQ(box.flags, kMbOk | kMbIconExclamation);
    }

    // Commands that change only the entries in memory, or only read, never ask for it.
    const int asked = lock_.attempts;
    for (const int id : {kCmdRefreshAll, kCmdAddFiles, kCmdAddFolder, kCmdImport,
                         kCmdRemoveSelected, kCmdMovePath, kCmdAdditionalPath, kCmdRenameDrive,
                         kCmdFileOpen, kCmdFileNew, kCmdFileClose, kCmdAutoBackup}) {
        EXPECT_TRUE(RunCommand(id)) << id;
    }
    EXPECT_EQ(lock_.attempts, asked);
    EXPECT_EQ(h_.ui.MessageBoxes().size(), 5u);
}

TEST_F(ManagerLockedCommandsTest, AManagerThatCannotBeLockedRefusesToo) {
    lock_.unlockable.insert(kManager);
    EXPECT_FALSE(RunCommand(kCmdRestoreSelected));
    const auto boxes = h_.ui.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind("The backup manager /m/team.bak cannot be locked", 0), 0u)
        << boxes[0].text;
}

TEST_F(ManagerLockedCommandsTest, AFreeManagerIsHeldWhileTheCommandRuns) {
    int heldInside = 0;
    EXPECT_TRUE(RunWithManagerLock(
        kCmdBackupAll, *h_.doc, [this, &heldInside] { heldInside = lock_.HeldCount(kManager); }));
    EXPECT_EQ(heldInside, 1);
    EXPECT_EQ(lock_.HeldCount(kManager), 0);
    EXPECT_TRUE(h_.ui.MessageBoxes().empty());

    // The backup that a busy manager refuses copies once the manager is free.
    EXPECT_TRUE(RunWithManagerLock(kCmdBackupAll, *h_.doc, [this] { OnBackupAll(*h_.doc); }));
    EXPECT_EQ(h_.fs.Content("/m/a"), "abc");
}

}  // namespace
}  // namespace bh
