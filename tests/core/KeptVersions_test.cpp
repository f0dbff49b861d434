#include "core/operations/KeptVersions.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "core/base/PathParts.h"
#include "core/operations/BackupRun.h"
#include "core/operations/VersionCommands.h"
#include "core/ports/MessageBoxFlags.h"
#include "support/OperationsHarness.h"

namespace bh {
namespace {

using test::OperationsHarness;

constexpr std::int64_t kDay = 86400;
// 2026-12-08 14:03:11 UTC
constexpr std::int64_t kTime = 1796738591;

TEST(KeptVersionNames, CarryTheTimeAndReadBack) {
    const FixedClock utc;
    const std::string time = VersionTimeText(utc, kTime);
    EXPECT_EQ(time, "2026-12-08 14-03-11");
    EXPECT_EQ(VersionTimeText(FixedClock(0, 3600), kTime), "2026-12-08 15-03-11");

    EXPECT_EQ(VersionFileName("report.doc", time, 1), "report (2026-12-08 14-03-11).doc");
    EXPECT_EQ(VersionFileName("report.doc", time, 2), "report (2026-12-08 14-03-11)[2].doc");
    EXPECT_EQ(VersionFileName("Makefile", time, 1), "Makefile (2026-12-08 14-03-11)");
    EXPECT_EQ(VersionFileName("a.tar.gz", time, 1), "a.tar (2026-12-08 14-03-11).gz");

    // Each name reads back to its archive, even one that holds a time text of its own.
    for (const std::string archive :
         {"report.doc", "Makefile", "a.tar.gz", "x (2020-01-01 00-00-00).txt", ".hidden"}) {
        for (int k : {1, 2, 17}) {
            std::string original;
            std::string readTime;
            ASSERT_TRUE(ParseVersionFileName(VersionFileName(archive, time, k), original, readTime))
                << archive;
            EXPECT_EQ(original, archive);
            EXPECT_EQ(readTime, time);
        }
    }
    std::string original;
    std::string readTime;
    for (const char* other :
         {"report.doc", "report (2026-12-08).doc", "report (2026-12-08 14:03:11).doc",
          "report (2026-12-08 14-03-11).doc.1234.tmp", "report (2026-12-08 14-03-11)[x].doc"}) {
        EXPECT_FALSE(ParseVersionFileName(other, original, readTime)) << other;
    }
}

// A manager keeping `keep` versions, with one entry whose archive Add has just made (empty).
struct VersionedManager : OperationsHarness {
    explicit VersionedManager(int keep) {
        ManagerOptions options;
        options.keepVersions = keep;
        doc->SetOptions(options);
        fs.AddFile("/src/r.txt", "v1", kTime);
        fs.AddFile("/arc/r.txt", "", kTime - kDay);
        Add("/src/r.txt", "/arc/r.txt");
    }
    // A new content of the source, a minute later, and a backup of it.
    BackupResult ChangeAndBackUp(const std::string& content, int minute) {
        fs.SetContent("/src/r.txt", content);
        fs.SetLastWrite("/src/r.txt", kTime + 60 * minute);
        clock.Set(clock.Now() + 60);
        return RunBackup(*doc);
    }
    // The contents of the archive's versions, newest first.
    std::vector<std::string> Versions() {
        KeptVersions kept(fs, clock);
        std::vector<KeptVersion> versions;
        EXPECT_EQ(kept.List("/arc/r.txt", versions), kNoError);
        std::vector<std::string> contents;
        for (const KeptVersion& version : versions) {
            contents.push_back(fs.Content(version.path));
        }
        return contents;
    }
};

TEST(KeptVersions, ThreeBackupsKeepTwoVersionsAndAFourthDropsTheOldest) {
    VersionedManager h(2);
    h.ChangeAndBackUp("v1", 0);  // the empty archive Add made is not worth keeping
    EXPECT_EQ(h.fs.Content("/arc/r.txt"), "v1");
    EXPECT_TRUE(h.Versions().empty());
    EXPECT_FALSE(h.fs.Exists("/arc/.versions"));

    EXPECT_EQ(h.ChangeAndBackUp("v2", 1).counts.backedUp, 1u);
    EXPECT_EQ(h.ChangeAndBackUp("v3", 2).counts.backedUp, 1u);
    EXPECT_EQ(h.fs.Content("/arc/r.txt"), "v3");
    EXPECT_EQ(h.Versions(), (std::vector<std::string>{"v2", "v1"}));
    // Named by the replaced archive's last-write time, which a version keeps.
    EXPECT_EQ(h.fs.Content("/arc/.versions/r (2026-12-08 14-04-11).txt"), "v2");
    EXPECT_EQ(h.fs.LastWrite("/arc/.versions/r (2026-12-08 14-04-11).txt"), kTime + 60);

    h.ChangeAndBackUp("v4", 3);
    EXPECT_EQ(h.fs.Content("/arc/r.txt"), "v4");
    EXPECT_EQ(h.Versions(), (std::vector<std::string>{"v3", "v2"}));
    EXPECT_FALSE(h.fs.Exists("/arc/.versions/r (2026-12-08 14-03-11).txt"));
    EXPECT_EQ(h.rows().Entry(0).state, EntryState::UpToDate);
}

TEST(KeptVersions, ADamagedSourceIsUndoneByRestoringAVersion) {
    VersionedManager h(1);
    h.ChangeAndBackUp("the good text", 0);
    h.ChangeAndBackUp("#&%! encrypted", 5);
    ASSERT_EQ(h.fs.Content("/arc/r.txt"), "#&%! encrypted");

    h.Select({0});
    h.ui.QueueChoice(0);
    h.ui.QueueMessageBoxAnswer(kIdNo);  // no copy of the damaged source
    OnRestoreVersion(*h.doc);
    EXPECT_EQ(h.fs.Content("/src/r.txt"), "the good text");
    const auto lists = h.ui.CallsOf(UiCallKind::ChooseFromList);
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(lists[0].items, (std::vector<std::string>{"2026-12-08 14-03-11  (13 bytes)"}));
    const auto boxes = h.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "1 File was restored");
    ASSERT_NE(h.rows().ResultsText(0), nullptr);
    EXPECT_EQ(*h.rows().ResultsText(0), "Restored");
    EXPECT_TRUE(h.ui.UnexpectedCalls().empty());

    // With nothing kept, the command says so and changes nothing.
    h.fs.Erase("/arc/.versions");
    OnRestoreVersion(*h.doc);
    EXPECT_EQ(h.Boxes().back().text.rfind(kNoVersionsText, 0), 0u);
}

TEST(KeptVersions, AVersionThatCannotBeKeptLeavesTheArchiveUncopied) {
    for (const FsOperation step : {FsOperation::Move, FsOperation::CreateFolders}) {
        VersionedManager h(3);
        h.ChangeAndBackUp("v1", 0);
        h.fs.InjectFailure({step, "", ErrorCode(EACCES), 0, -1});
        const BackupResult result = h.ChangeAndBackUp("v2", 1);
        EXPECT_EQ(result.counts.backedUp, 0u);
        EXPECT_EQ(result.counts.problems, 1u);
        EXPECT_EQ(h.fs.Content("/arc/r.txt"), "v1");
        const CFileEntry& entry = h.rows().Entry(0);
        EXPECT_EQ(entry.state, EntryState::Problem);
        EXPECT_EQ(h.CellText(0, kColumnResults).rfind("version not kept:", 0), 0u)
            << h.CellText(0, kColumnResults);
    }
}

TEST(KeptVersions, AFailedCopyPutsTheArchiveBack) {
    VersionedManager h(2);
    h.ChangeAndBackUp("v1", 0);
    h.fs.InjectFailure({FsOperation::CopyWrite, "/arc/r.txt", ErrorCode(ENOSPC), 0, 1});
    const BackupResult result = h.ChangeAndBackUp("v2", 1);
    EXPECT_EQ(result.counts.problems, 1u);
    EXPECT_EQ(h.fs.Content("/arc/r.txt"), "v1");
    EXPECT_TRUE(h.Versions().empty());

    // Two archives of one second never share a name.
    h.ChangeAndBackUp("v3", 2);
    h.fs.SetLastWrite("/arc/r.txt", kTime);
    h.fs.SetLastWrite("/src/r.txt", kTime + 600);
    h.fs.SetContent("/src/r.txt", "v4");
    h.clock.Set(h.clock.Now() + 60);
    RunBackup(*h.doc);
    EXPECT_EQ(h.Versions(), (std::vector<std::string>{"v3", "v1"}));
    EXPECT_TRUE(h.fs.Exists("/arc/.versions/r (2026-12-08 14-03-11)[2].txt"));
}

TEST(KeptVersions, VersionsOfOneSecondKeepTheOrderTheyWereKeptIn) {
    MemoryFileSystem fs;
    const FixedClock clock;
    fs.AddFolder("/arc");
    KeptVersions kept(fs, clock);
    std::string path;
    for (const char* content : {"first", "second", "third"}) {
        fs.AddFile("/arc/r.txt", content, kTime);  // one second for all, as a touch -d makes
        ASSERT_EQ(kept.Keep("/arc/r.txt", path), kNoError);
        ASSERT_EQ(kept.Prune("/arc/r.txt", 1), kNoError);
    }
    // The name the first one freed is not taken again: the newest stays, whatever the names.
    std::vector<KeptVersion> versions;
    ASSERT_EQ(kept.List("/arc/r.txt", versions), kNoError);
    ASSERT_EQ(versions.size(), 1u);
    EXPECT_EQ(fs.Content(versions[0].path), "third");
    EXPECT_EQ(FileNameOf(versions[0].path), "r (2026-12-08 14-03-11)[3].txt");

    // A fresh look at the folder orders them the same way.
    fs.AddFile("/arc/r.txt", "fourth", kTime);
    ASSERT_EQ(kept.Keep("/arc/r.txt", path), kNoError);
    KeptVersions again(fs, clock);
    ASSERT_EQ(again.List("/arc/r.txt", versions), kNoError);
    ASSERT_EQ(versions.size(), 2u);
    EXPECT_EQ(fs.Content(versions[0].path), "fourth");
    EXPECT_EQ(fs.Content(versions[1].path), "third");
}

TEST(KeptVersions, WithoutTheSettingNothingIsKeptUnlessTheRunAsks) {
    VersionedManager h(0);
    h.ChangeAndBackUp("v1", 0);
    h.ChangeAndBackUp("v2", 1);
    EXPECT_EQ(h.fs.Content("/arc/r.txt"), "v2");
    EXPECT_FALSE(h.fs.Exists("/arc/.versions"));
    EXPECT_EQ(h.fs.CountCalls(FsOperation::ListFolder), 0);

    h.fs.SetContent("/src/r.txt", "v3");
    h.fs.SetLastWrite("/src/r.txt", kTime + 600);
    h.clock.Set(h.clock.Now() + 60);
    BackupOptions once;
    once.keepVersions = 1;
    RunBackup(*h.doc, once);
    EXPECT_EQ(h.Versions(), (std::vector<std::string>{"v2"}));
    EXPECT_EQ(h.doc->Options().keepVersions, 0);
}

}  // namespace
}  // namespace bh

namespace bh {
namespace {

TEST(KeepVersionsCommand, SetsTheManagersCountOnlyForANumberInRange) {
    OperationsHarness h;
    h.ui.QueuePrompt(kIdOk, " 5 ");
    OnKeepVersions(*h.doc);
    EXPECT_EQ(h.doc->Options().keepVersions, 5);
    EXPECT_TRUE(h.doc->IsModified());
    EXPECT_EQ(h.ui.CallsOf(UiCallKind::Prompt).at(0).text, "0");

    for (const char* bad : {"1000", "-1", "two", ""}) {
        h.ui.QueuePrompt(kIdOk, bad);
        OnKeepVersions(*h.doc);
        EXPECT_EQ(h.doc->Options().keepVersions, 5) << bad;
    }
    EXPECT_EQ(h.Boxes().size(), 4u);
    h.ui.QueuePrompt(kIdCancel, "0");
    OnKeepVersions(*h.doc);
    EXPECT_EQ(h.doc->Options().keepVersions, 5);
    EXPECT_TRUE(h.ui.UnexpectedCalls().empty());
}

}  // namespace
}  // namespace bh
