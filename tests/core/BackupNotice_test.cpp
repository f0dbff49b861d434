#include "core/operations/BackupNotice.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "core/operations/AutoBackup.h"
#include "core/operations/BackupRun.h"
#include "core/ports/DesktopNotifier.h"
#include "platform/memory/FakeAutoBackupTimer.h"
#include "support/OperationsHarness.h"

namespace bh {
namespace {

using test::OperationsHarness;

class RecordingNotifier : public DesktopNotifier {
  public:
    ErrorCode Notify(const std::string& summary, const std::string& body) override {
        calls.push_back(summary + "|" + body);
        return result;
    }
    std::vector<std::string> calls;
    ErrorCode result;
};

BackupResult Ran(unsigned upToDate, unsigned backedUp, unsigned skipped, unsigned problems) {
    BackupResult result;
    result.ran = true;
    result.counts = {upToDate, backedUp, skipped, problems,
                     upToDate + backedUp + skipped + problems};
    return result;
}

TEST(BackupNotice, OnlyFailedRunsHaveOneAndItCounts) {
    EXPECT_FALSE(BackupFailureNotice(Ran(3, 2, 0, 0), "/m/a.bak")) << "a clean run is quiet";
    BackupResult notRun = Ran(0, 0, 0, 1);
    notRun.ran = false;
    EXPECT_FALSE(BackupFailureNotice(notRun, "/m/a.bak")) << "nothing ran, nothing failed";

    auto notice = BackupFailureNotice(Ran(12, 5, 0, 2), "/m/a.bak");
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->summary, "Brackenhold: backup failed");
    EXPECT_EQ(notice->body,
              "/m/a.bak\n2 files could not be backed up; 5 backed up, 12 up to date.");

    notice = BackupFailureNotice(Ran(0, 0, 3, 1), "/m/a.bak");
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->body,
              "/m/a.bak\n1 file could not be backed up; 0 backed up, 0 up to date, 3 skipped.");

    BackupResult unsaved = Ran(1, 4, 0, 0);
    unsaved.saveFailed = true;
    notice = BackupFailureNotice(unsaved, "/m/a.bak");
    ASSERT_TRUE(notice) << "copies made but not recorded are a failure too";
    EXPECT_EQ(notice->body,
              "/m/a.bak\n4 backed up, 1 up to date.\nThe manager could not be saved.");

    EXPECT_EQ(ManagerNotOpenedNotice("/m/x.bak", "No such file or directory").body,
              "/m/x.bak\nThe manager could not be opened: No such file or directory");
    EXPECT_EQ(ManagerNotOpenedNotice("/m/x.bak", "").body,
              "/m/x.bak\nThe manager could not be opened.");
    EXPECT_EQ(ManagerNotOpenedNotice("/m/x.bak", "").summary, "Brackenhold: backup failed");
}

TEST(BackupNotice, SendsOnceAndNeverWithoutANotifier) {
    RecordingNotifier notifier;
    EXPECT_FALSE(NotifyBackupOutcome(nullptr, "/m/a.bak", Ran(0, 0, 0, 1)));
    EXPECT_FALSE(NotifyBackupOutcome(&notifier, "/m/a.bak", Ran(1, 1, 0, 0)));
    EXPECT_TRUE(notifier.calls.empty());
    EXPECT_TRUE(NotifyBackupOutcome(&notifier, "/m/a.bak", Ran(0, 0, 0, 1)));
    EXPECT_EQ(notifier.calls.size(), 1u);
    notifier.result = ErrorCode(ENOTCONN);
    EXPECT_FALSE(NotifyManagerNotOpened(&notifier, "/m/a.bak", ""));
    EXPECT_EQ(notifier.calls.size(), 2u);
}

TEST(BackupNotice, TimerRunTellsOfProblemsOnly) {
    OperationsHarness h;
    RecordingNotifier notifier;
    h.services.notifier = &notifier;
    h.AddOutOfDate("a.txt");
    h.AddUpToDate("b.txt");
    FakeAutoBackupTimer timer;
    AutoBackup autoBackup(h.ui, timer);

    autoBackup.OnTimer(*h.doc);
    EXPECT_EQ(h.fs.Content("/arc/a.txt"), "new a.txt");
    EXPECT_TRUE(notifier.calls.empty()) << "a clean run notifies nothing";

    h.Add("/src/gone.txt", "/arc/gone.txt");
    h.AddOutOfDate("c.txt");
    autoBackup.OnTimer(*h.doc);
    ASSERT_EQ(notifier.calls.size(), 1u);
    EXPECT_EQ(notifier.calls[0],
              "Brackenhold: backup failed|/m/team.bak\n"
              "1 file could not be backed up; 1 backed up, 2 up to date.");
    EXPECT_EQ(h.fs.Content("/arc/c.txt"), "new c.txt") << "the run itself is unchanged";
    EXPECT_EQ(h.ui.Count(UiCallKind::MessageBox), 0) << "still no report box";

    // A notifier that cannot reach the desktop changes nothing else.
    notifier.result = ErrorCode(ENOTCONN);
    autoBackup.OnTimer(*h.doc);
    EXPECT_EQ(notifier.calls.size(), 2u);
    EXPECT_EQ(h.ui.Count(UiCallKind::MessageBox), 0);
}

}  // namespace
}  // namespace bh
