#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/operations/BackupRun.h"
#include "core/operations/Restore.h"
#include "core/operations/VerifyRun.h"
#include "core/ports/MessageBoxFlags.h"
#include "core/view/Columns.h"
#include "support/OperationsHarness.h"

namespace bh {
namespace {

// A user interface whose progress bars offer a Cancel button that the user presses once the
// bar with `caption` has been stepped `steps` times.
class CancellingUserInterface : public ScriptedUserInterface {
  public:
    void CancelAfter(std::string caption, int steps) {
        caption_ = std::move(caption);
        steps_ = steps;
    }
    int CancelOffers() const { return offers_; }

    std::unique_ptr<ProgressIndicator> CreateStatusProgress(const std::string& caption) override {
        auto inner = ScriptedUserInterface::CreateStatusProgress(caption);
        return std::make_unique<Progress>(*this, std::move(inner),
                                          caption == caption_ ? steps_ : -1);
    }

  private:
    class Progress : public ProgressIndicator {
      public:
        Progress(CancellingUserInterface& ui, std::unique_ptr<ProgressIndicator> inner,
                 int cancelAfter)
            : ui_(ui), inner_(std::move(inner)), cancelAfter_(cancelAfter) {}
        void SetRange(int lower, int upper) override { inner_->SetRange(lower, upper); }
        void SetStep(int step) override { inner_->SetStep(step); }
        void StepIt() override {
            inner_->StepIt();
            ++steps_;
        }
        void SetPos(int pos) override { inner_->SetPos(pos); }
        int GetPos() const override { return inner_->GetPos(); }
        void AllowCancel() override {
            offered_ = true;
            ++ui_.offers_;
        }
        bool CancelRequested() const override {
            return offered_ && cancelAfter_ >= 0 && steps_ >= cancelAfter_;
        }

      private:
        CancellingUserInterface& ui_;
        std::unique_ptr<ProgressIndicator> inner_;
        int cancelAfter_;
        int steps_ = 0;
        bool offered_ = false;
    };

    std::string caption_;
    int steps_ = -1;
    int offers_ = 0;
};

// A saved manager at /m/team.bak whose user interface can cancel.
class StoppedRunTest : public ::testing::Test {
  protected:
    StoppedRunTest() {
        h.fs.AddFolder("/m");
        h.fs.AddFolder("/src");
        h.fs.AddFolder("/arc");
        doc.SetPathName("/m/team.bak");
    }

    void AddPair(const std::string& name, const std::string& source, const std::string& archive) {
        h.fs.AddFile("/src/" + name, source, 2000);
        h.fs.AddFile("/arc/" + name, archive, 1000);
        doc.rows().Append(
            std::make_unique<CFileEntry>("/src/" + name, "/arc/" + name, "", h.shell, h.fs));
    }

    test::DocumentHarness h;
    CancellingUserInterface ui;
    Services services{h.fs, h.shell, ui, h.settings, h.clock, h.errors};
    CBrackenholdDoc doc{services, nullptr, "./"};
    ManagerList& rows = doc.rows();
};

TEST_F(StoppedRunTest, BackupStopsBetweenTwoFilesSkipsTheRestAndSaves) {
    for (const char* name : {"a", "b", "c", "d"})
        AddPair(name, std::string("new ") + name, "old");
    rows.SetSelected(3, true);
    // Cancel is pressed while the second file is copied: it is finished, the rest stay.
    ui.CancelAfter(kBackingUpCaption, 2);
    OnBackupAll(doc);
    EXPECT_EQ(h.fs.Content("/arc/a"), "new a");
    EXPECT_EQ(h.fs.Content("/arc/b"), "new b");
    EXPECT_EQ(h.fs.Content("/arc/c"), "old");
    EXPECT_EQ(h.fs.Content("/arc/d"), "old");
    EXPECT_EQ(ui.CancelOffers(), 2);  // the refresh and the copy pass
    ASSERT_EQ(ui.MessageBoxes().size(), 1u);
    BackupCounts expected{0, 2, 2, 0, 4};
    EXPECT_EQ(ui.MessageBoxes()[0].text, ReportText(expected));
    // Saved because something was copied; as after any run, no row stays selected.
    EXPECT_FALSE(h.fs.Content("/m/team.bak").empty());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(rows.SelectedCount(), 0);
}

TEST_F(StoppedRunTest, StoppedRefreshStopsTheBackupBeforeAnyCopy) {
    for (const char* name : {"a", "b", "c"})
        AddPair(name, std::string("new ") + name, "old");
    ui.CancelAfter(kCheckingCaption, 1);
    const BackupResult result = RunBackup(doc);
    EXPECT_TRUE(result.ran);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.counts.skipped, 3u);
    EXPECT_EQ(result.counts.backedUp, 0u);
    for (const char* name : {"a", "b", "c"})
        EXPECT_EQ(h.fs.Content(std::string("/arc/") + name), "old");
    // Nothing copied, nothing saved.
    EXPECT_FALSE(h.fs.Exists("/m/team.bak"));

    // A refresh of its own keeps the status of the rows it did not reach.
    h.fs.AddFile("/arc/a", "new a", 2000);
    h.fs.AddFile("/arc/b", "new b", 2000);
    ui.CancelAfter(kCheckingCaption, 1);
    EXPECT_FALSE(RefreshStatus(doc));
    EXPECT_EQ(rows.Entry(0).textColor, kColorUpToDate);
    EXPECT_EQ(rows.Entry(1).textColor, kColorOutOfDate);
    ui.CancelAfter("", -1);
    EXPECT_TRUE(RefreshStatus(doc));
    EXPECT_EQ(rows.Entry(1).textColor, kColorUpToDate);
}

TEST_F(StoppedRunTest, RestoreStopsBetweenTwoRowsAndCountsTheRestSkipped) {
    for (const char* name : {"a", "b", "c", "d"})
        AddPair(name, "current", std::string("archived ") + name);
    for (int row : {0, 1, 3})
        rows.SetSelected(row, true);
    ui.QueueMessageBoxAnswer(kIdNo);
    ui.CancelAfter(kRestoringCaption, 2);
    OnRestoreSelected(doc);
    EXPECT_EQ(h.fs.Content("/src/a"), "archived a");
    EXPECT_EQ(h.fs.Content("/src/b"), "archived b");
    EXPECT_EQ(h.fs.Content("/src/d"), "current");
    EXPECT_EQ(CellText(rows, 1, kColumnResults, h.clock, h.errors), "Restored");
    EXPECT_EQ(CellText(rows, 3, kColumnResults, h.clock, h.errors), "");
    ASSERT_EQ(ui.MessageBoxes().size(), 2u);
    EXPECT_EQ(ui.MessageBoxes()[1].text, "2 Files were restored\n1 Restore Skipped");
    EXPECT_EQ(ui.MessageBoxes()[1].caption, "Restore 3 Files");

    RestoreOutcome outcome;
    outcome.selected = 5;
    outcome.restored = 1;
    outcome.skipped = 3;
    EXPECT_EQ(RestoreSummaryText(outcome),
              "1 File was restored\n1 Restore Failed\n3 Restores Skipped");
}

TEST_F(StoppedRunTest, VerifyStopsBetweenTwoRowsAndCountsTheRestSkipped) {
    for (const char* name : {"a", "b", "c", "d"}) {
        AddPair(name, "same", "same");
        h.fs.SetLastWrite(std::string("/arc/") + name, 2000);
    }
    h.fs.SetContent("/arc/d", "SAME");  // never reached, so never found
    for (int row = 0; row < 4; ++row)
        rows.SetSelected(row, true);
    ui.CancelAfter(kVerifyingCaption, 2);
    const VerifyResult result = RunVerify(doc);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.counts.verified, 2u);
    EXPECT_EQ(result.counts.skipped, 2u);
    EXPECT_EQ(result.counts.total, 4u);
    EXPECT_EQ(CellText(rows, 1, kColumnResults, h.clock, h.errors), "Contents Verified");
    EXPECT_EQ(CellText(rows, 2, kColumnResults, h.clock, h.errors), "");
    EXPECT_EQ(rows.Entry(3).textColor, kColorUpToDate);

    // A stopped evaluation compares nothing.
    ui.CancelAfter(kCheckingCaption, 1);
    const VerifyResult none = RunVerify(doc);
    EXPECT_EQ(none.counts.skipped, 4u);
    EXPECT_EQ(none.counts.verified, 0u);
}

}  // namespace
}  // namespace bh
