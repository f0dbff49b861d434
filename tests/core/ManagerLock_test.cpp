#include <gtest/gtest.h>

#include "core/operations/AutoBackup.h"
#include "core/operations/ManagerFile.h"
#include "core/operations/ManagerGuard.h"
#include "core/ports/ManagerLock.h"
#include "platform/memory/FakeAutoBackupTimer.h"
#include "platform/memory/FakeManagerLock.h"
#include "support/OperationsHarness.h"

namespace bh {
namespace {

class ManagerLockTest : public ::testing::Test, public test::OperationsHarness {
  protected:
    FakeManagerLock locks;
    FakeAutoBackupTimer timer;
};

TEST_F(ManagerLockTest, TimerTickOnALockedManagerIsSkippedSilently) {
    AddOutOfDate("a.txt");
    AutoBackup autoBackup(ui, timer);
    autoBackup.managerLock = &locks;
    int flashes = 0;
    autoBackup.flashWindow = [&] { ++flashes; };
    locks.busy.insert(kManager);

    autoBackup.OnTimer(*doc);
    EXPECT_EQ(fs.Content("/arc/a.txt"), "old");
    EXPECT_EQ(flashes, 0);
    EXPECT_TRUE(ui.MessageBoxes().empty());
    EXPECT_EQ(locks.attempts, 1);

    // The next tick finds it free: the run happens while the lock is held, and ends it.
    locks.busy.clear();
    int heldDuringRun = -1;
    autoBackup.flashWindow = [&] {
        ++flashes;
        heldDuringRun = locks.HeldCount(kManager);
    };
    autoBackup.OnTimer(*doc);
    EXPECT_EQ(fs.Content("/arc/a.txt"), "new a.txt");
    EXPECT_EQ(flashes, 2);
    EXPECT_EQ(heldDuringRun, 1);
    EXPECT_EQ(locks.HeldCount(kManager), 0);
    EXPECT_TRUE(ui.MessageBoxes().empty()) << "a timer run shows no report";
}

TEST_F(ManagerLockTest, CommandOnALockedManagerIsRefusedWithAMessageNamingIt) {
    std::unique_ptr<ManagerLockHold> hold;
    locks.busy.insert(kManager);
    EXPECT_FALSE(LockForCommand(ui, errors, locks, kManager, hold));
    EXPECT_EQ(hold, nullptr);
    ASSERT_EQ(ui.MessageBoxes().size(), 1u);
    EXPECT_EQ(ui.MessageBoxes()[0].text, ManagerBusyText(kManager));
    EXPECT_NE(ui.MessageBoxes()[0].text.find("/m/team.bak"), std::string::npos);

    locks.busy.clear();
    EXPECT_TRUE(LockForCommand(ui, errors, locks, kManager, hold));
    EXPECT_EQ(locks.HeldCount(kManager), 1);
    hold.reset();
    // An untitled manager has nothing to lock.
    EXPECT_TRUE(LockForCommand(ui, errors, locks, "", hold));
    EXPECT_EQ(locks.attempts, 2);
    EXPECT_EQ(ui.MessageBoxes().size(), 1u);
}

TEST_F(ManagerLockTest, AManagerThatCannotBeLockedIsNeverWritten) {
    std::unique_ptr<ManagerLockHold> hold;
    locks.unlockable.insert(kManager);
    EXPECT_FALSE(LockForCommand(ui, errors, locks, kManager, hold));
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, ManagerUnlockableText(kManager, "Permission denied"));

    // Every save takes the lock itself, whichever command saves (Save As, the save before
    // New or Open, the session-end save, the command-line program's).
    services.managerLock = &locks;
    AddOutOfDate("a.txt");
    doc->SetModifiedFlag(true);
    fs.AddFile(kManager, "old bytes");
    EXPECT_FALSE(SaveDocumentFile(*doc, kManager));
    EXPECT_EQ(fs.Content(kManager), "old bytes");
    EXPECT_TRUE(doc->IsModified());
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[1].text, ManagerUnlockableText(kManager, "Permission denied"));

    locks.unlockable.clear();
    locks.busy.insert(kManager);
    EXPECT_FALSE(SaveDocumentFile(*doc, kManager));
    EXPECT_EQ(fs.Content(kManager), "old bytes");
    EXPECT_EQ(Boxes().back().text, ManagerBusyText(kManager));

    // A command that already holds the lock saves inside its hold; the save's hold nests.
    locks.busy.clear();
    std::unique_ptr<ManagerLockHold> commandHold = locks.TryLock(kManager);
    EXPECT_TRUE(SaveDocumentFile(*doc, kManager));
    EXPECT_NE(fs.Content(kManager), "old bytes");
    EXPECT_EQ(locks.HeldCount(kManager), 1);
    // Save As locks the new path, not only the old one.
    locks.busy.insert("/m/other.bak");
    EXPECT_FALSE(SaveDocumentFile(*doc, "/m/other.bak"));
    EXPECT_FALSE(fs.Exists("/m/other.bak"));
}

}  // namespace
}  // namespace bh
