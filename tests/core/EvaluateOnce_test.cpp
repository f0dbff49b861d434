#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/document/BrackenholdDoc.h"
#include "core/document/EvaluationStamp.h"
#include "core/document/ManagerFileFormat.h"
#include "core/operations/AddFiles.h"
#include "core/operations/BackupRun.h"
#include "core/operations/Import.h"
#include "core/operations/ManagerFile.h"
#include "core/operations/RemoveSelected.h"
#include "core/ports/Services.h"
#include "platform/memory/FakeSystemErrors.h"
#include "platform/memory/FixedClock.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemorySettingsStore.h"
#include "platform/memory/RecordingShell.h"
#include "platform/memory/ScriptedUserInterface.h"
#include "support/CountingFileSystem.h"

namespace bh {
namespace {

constexpr const char* kManager = "/m/team.bak";
constexpr std::int64_t kNow = 1'700'000'000;

// A manager file on an in-memory disk whose every attribute query is counted, opened into a
// document the way the front ends open it.
class EvaluateOnceTest : public ::testing::Test {
  protected:
    EvaluateOnceTest() {
        fs_.AddFolder("/m");
        fs_.AddFolder("/src");
        fs_.AddFolder("/arc");
    }

    // `upToDate` entries whose archive matches their source, then `outOfDate` ones whose
    // source is newer; the manager file lists them in that order.
    void WriteManager(int upToDate, int outOfDate) {
        std::vector<ManagerRecord> records;
        for (int i = 0; i < upToDate + outOfDate; ++i) {
            const std::string name = "f" + std::to_string(i) + ".txt";
            const bool current = i < upToDate;
            fs_.AddFile("/src/" + name, current ? "same" : "newer", 2000);
            fs_.AddFile("/arc/" + name, current ? "same" : "old", current ? 2000 : 1000);
            records.push_back({"/src/" + name, "/arc/" + name, ""});
        }
        fs_.AddFile(kManager, EncodeManager(records));
        entries_ = upToDate + outOfDate;
    }

    bool Open(EntryEvaluation evaluation = EntryEvaluation::Evaluate) {
        return OpenDocumentFile(*doc_, kManager, evaluation);
    }

    // Queries made for the entries the manager file lists (not for added files).
    int ListedQueries() const {
        int total = 0;
        for (int i = 0; i < entries_; ++i) {
            const std::string name = "f" + std::to_string(i) + ".txt";
            total += counting_.Queries("/src/" + name) + counting_.Queries("/arc/" + name);
        }
        return total;
    }

    MemoryFileSystem fs_;
    test::CountingFileSystem counting_{fs_};
    RecordingShell shell_;
    ScriptedUserInterface ui_;
    MemorySettingsStore settings_;
    FixedClock clock_{kNow};
    FakeSystemErrors errors_;
    Services services_{counting_, shell_, ui_, settings_, clock_, errors_};
    std::unique_ptr<CBrackenholdDoc> doc_ = std::make_unique<CBrackenholdDoc>(services_);
    int entries_ = 0;
};

TEST_F(EvaluateOnceTest, BackupRightAfterOpenQueriesEachPathOnceWithTheSameResults) {
    WriteManager(5, 0);
    ASSERT_TRUE(Open());
    EXPECT_TRUE(doc_->evaluation().IsFresh());
    const BackupResult noOp = RunBackup(*doc_);
    EXPECT_EQ(counting_.TotalQueries(), 2 * 5) << "the open's evaluation stands for the refresh";
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(counting_.Queries("/src/f" + std::to_string(i) + ".txt"), 1);
        EXPECT_EQ(counting_.Queries("/arc/f" + std::to_string(i) + ".txt"), 1);
    }
    EXPECT_TRUE(noOp.ran);
    EXPECT_EQ(noOp.counts.upToDate, 5u);
    EXPECT_EQ(noOp.counts.backedUp, 0u);
    EXPECT_EQ(ui_.Count(UiCallKind::MessageBox), 0);

    // With copies to make, the run copies and counts exactly what a refreshing run would.
    doc_ = std::make_unique<CBrackenholdDoc>(services_);
    WriteManager(2, 3);
    ASSERT_TRUE(Open());
    const BackupResult reused = RunBackup(*doc_);
    EXPECT_EQ(reused.counts.upToDate, 2u);
    EXPECT_EQ(reused.counts.backedUp, 3u);
    EXPECT_EQ(reused.counts.total, 5u);
    for (int i = 2; i < 5; ++i) {
        EXPECT_EQ(fs_.Content("/arc/f" + std::to_string(i) + ".txt"), "newer");
        EXPECT_EQ(doc_->rows().Entry(i).state, EntryState::UpToDate) << "evaluated after its copy";
    }
    EXPECT_FALSE(doc_->evaluation().IsFresh()) << "the copies changed rows";
}

TEST_F(EvaluateOnceTest, TimePassedAChangedRowOrARefreshOfEveryRowDecides) {
    WriteManager(3, 0);
    ASSERT_TRUE(Open());
    const int afterOpen = counting_.TotalQueries();
    ASSERT_EQ(afterOpen, 6);

    // The reuse window is measured from the end of the open's evaluation: just inside it the
    // evaluation is used, once it has passed the backup evaluates again and sees what changed.
    clock_.Set(kNow + kEvaluationReuseMilliseconds / 1000 - 1);
    EXPECT_TRUE(doc_->evaluation().IsFresh());
    clock_.Set(kNow + kEvaluationReuseMilliseconds / 1000);
    EXPECT_FALSE(doc_->evaluation().IsFresh());
    fs_.AddFile("/src/f1.txt", "changed later", 3000);
    const BackupResult late = RunBackup(*doc_);
    EXPECT_EQ(counting_.TotalQueries(), afterOpen + 6 + 2) << "refresh, then the copied entry";
    EXPECT_EQ(late.counts.backedUp, 1u);
    EXPECT_EQ(fs_.Content("/arc/f1.txt"), "changed later");

    // A clock that went back counts as time passed.
    ASSERT_TRUE(Open());
    clock_.Set(kNow);
    EXPECT_FALSE(doc_->evaluation().IsFresh());

    // A row added since the open makes the evaluation stale, within the window too.
    clock_.Set(kNow + 100);
    ASSERT_TRUE(Open());
    fs_.AddFile("/src/extra.txt", "x", 2000);
    ASSERT_EQ(AddFile(*doc_, "/src/extra.txt"), AddFileResult::Added);
    EXPECT_FALSE(doc_->evaluation().IsFresh());
    int before = counting_.TotalQueries();
    RunBackup(*doc_);
    EXPECT_GE(counting_.TotalQueries(), before + 2 * 4) << "every row refreshed";

    // Refresh All always evaluates, even right after an open, and then stands for a backup.
    ASSERT_TRUE(Open());
    before = counting_.TotalQueries();
    OnRefreshAll(*doc_);
    EXPECT_EQ(counting_.TotalQueries(), before + 2 * 4);
    EXPECT_TRUE(doc_->evaluation().IsFresh());
    RunBackup(*doc_);
    EXPECT_EQ(counting_.TotalQueries(), before + 2 * 4);

    // A refresh of the selected rows only does not stand for every row.
    ASSERT_TRUE(doc_->evaluation().IsFresh());
    doc_->rows().SetSelected(0, true);
    RefreshStatus(*doc_, true);
    EXPECT_FALSE(doc_->evaluation().IsFresh());

    // Removing a row makes it stale as well.
    ASSERT_TRUE(Open());
    doc_->rows().SetSelected(0, true);
    EXPECT_TRUE(doc_->evaluation().IsFresh()) << "a selection changes no entry";
    RemoveSelectedEntries(*doc_, false);
    EXPECT_FALSE(doc_->evaluation().IsFresh());
}

TEST_F(EvaluateOnceTest, OpeningWithoutEvaluationQueriesNothingAndSavesTheSameBytes) {
    WriteManager(300, 2);
    const std::string original = fs_.Content(kManager);
    ASSERT_TRUE(Open(EntryEvaluation::Skip));
    EXPECT_EQ(counting_.TotalQueries(), 0);
    EXPECT_FALSE(doc_->evaluation().IsFresh()) << "nothing was evaluated";
    ASSERT_EQ(doc_->rows().Count(), 302);
    EXPECT_EQ(doc_->rows().Entry(301).sourcePath, "/src/f301.txt");
    EXPECT_EQ(doc_->rows().Entry(301).state, EntryState::OutOfDate);
    EXPECT_EQ(doc_->rows().Entry(301).sourceSize, 0u);

    // add: only the added file's paths are queried, and the file gains exactly one record.
    fs_.AddFile("/src/new.txt", "new", 2000);
    ASSERT_EQ(AddFile(*doc_, "/src/new.txt"), AddFileResult::Added);
    ASSERT_TRUE(SaveDocumentFile(*doc_, kManager));
    EXPECT_EQ(ListedQueries(), 0);
    std::vector<ManagerRecord> expected = DecodeManager(original).records;
    expected.push_back({"/src/new.txt", "/m/new.txt", ""});
    EXPECT_EQ(fs_.Content(kManager), EncodeManager(expected));

    // The same manager opened with evaluation saves the same bytes.
    const std::string skipped = fs_.Content(kManager);
    ASSERT_TRUE(Open());
    ASSERT_TRUE(SaveDocumentFile(*doc_, kManager));
    EXPECT_EQ(fs_.Content(kManager), skipped);

    // remove and import on an unevaluated manager query none of its entries either.
    doc_ = std::make_unique<CBrackenholdDoc>(services_);
    fs_.AddFile(kManager, skipped);
    fs_.AddFile("/src/o.txt", "same", 2000);
    fs_.AddFile("/m/other.bak", EncodeManager({{"/src/o.txt", "/arc/o.txt", "n"}}));
    fs_.AddFile("/arc/o.txt", "same", 2000);
    const int beforeSkip = counting_.TotalQueries();
    ASSERT_TRUE(Open(EntryEvaluation::Skip));
    doc_->rows().SetSelected(1, true);
    EXPECT_EQ(RemoveSelectedEntries(*doc_, false), 1);
    EXPECT_EQ(ImportManager(*doc_, "/m/other.bak"), ImportResult::Imported);
    EXPECT_EQ(counting_.TotalQueries() - beforeSkip, 2) << "only the imported entry";
    ASSERT_EQ(doc_->rows().Count(), 303);
    EXPECT_EQ(doc_->rows().Entry(302).state, EntryState::UpToDate);
}

TEST_F(EvaluateOnceTest, ImportOntoAnUnevaluatedManagerStillMarksAnArchiveSharedByPath) {
    fs_.AddFile("/src/a.txt", "a", 2000);
    fs_.AddFile("/src/b.txt", "b", 2000);
    fs_.AddFile("/arc/a.txt", "a", 2000);
    fs_.AddFile(kManager, EncodeManager({{"/src/a.txt", "/arc/a.txt", ""}}));
    fs_.AddFile("/m/other.bak", EncodeManager({{"/src/b.txt", "/arc/a.txt", ""}}));
    ASSERT_TRUE(Open(EntryEvaluation::Skip));
    ASSERT_EQ(ImportManager(*doc_, "/m/other.bak"), ImportResult::Imported);
    ASSERT_EQ(doc_->rows().Count(), 2);
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(doc_->rows().Entry(row).LastErrorCode(), kErrorSharedArchive) << row;
        EXPECT_EQ(doc_->rows().Entry(row).state, EntryState::Problem) << row;
    }
}

}  // namespace
}  // namespace bh
