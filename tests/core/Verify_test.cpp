#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/operations/BackupRun.h"
#include "core/operations/VerifyContents.h"
#include "core/operations/VerifyCopy.h"
#include "core/operations/VerifyRun.h"
#include "core/ports/MessageBoxFlags.h"
#include "core/view/Columns.h"
#include "platform/memory/FileSystemWrapper.h"
#include "support/OperationsHarness.h"

namespace bh {
namespace {

using test::OperationsHarness;

constexpr std::int64_t kNs = 1'000'000'000;

ContentsVerdict Verdict(MemoryFileSystem& fs, const std::string& source,
                        const std::string& archive) {
    return CompareContents(fs, source, archive).verdict;
}

TEST(CompareContents, FindsAnyDifferenceWhateverSizeAndTimeSay) {
    MemoryFileSystem fs;
    fs.AddFile("/s/a", "abcdef", 100);
    fs.AddFile("/a/a", "abcdef", 100);
    EXPECT_EQ(Verdict(fs, "/s/a", "/a/a"), ContentsVerdict::Match);
    fs.SetContent("/a/a", "abcdeF");  // same size, same time
    EXPECT_EQ(Verdict(fs, "/s/a", "/a/a"), ContentsVerdict::Differ);

    // Larger than one part, differing only in the last byte of the last part.
    std::string big(2 * kCompareChunkBytes + 3, 'x');
    fs.AddFile("/s/big", big, 100);
    fs.AddFile("/a/big", big, 100);
    EXPECT_EQ(Verdict(fs, "/s/big", "/a/big"), ContentsVerdict::Match);
    big.back() = 'y';
    fs.SetContent("/a/big", big);
    EXPECT_EQ(Verdict(fs, "/s/big", "/a/big"), ContentsVerdict::Differ);
    big.back() = 'x';
    big[kCompareChunkBytes] = 'y';  // the first byte of the second part
    fs.SetContent("/a/big", big);
    EXPECT_EQ(Verdict(fs, "/s/big", "/a/big"), ContentsVerdict::Differ);

    // Sizes that differ need no read.
    fs.AddFile("/s/b", "longer", 100);
    fs.AddFile("/a/b", "short", 100);
    fs.ClearCalls();
    EXPECT_EQ(Verdict(fs, "/s/b", "/a/b"), ContentsVerdict::Differ);
    EXPECT_EQ(fs.CountCalls(FsOperation::ReadAll), 0);

    EXPECT_EQ(fs.Content("/a/a"), "abcdeF") << "a comparison changes nothing";
}

TEST(CompareContents, ReadFailuresNameTheFileThatFailed) {
    MemoryFileSystem fs;
    fs.AddFile("/s/a", "same", 100);
    fs.AddFile("/a/a", "same", 100);
    fs.InjectFailure({FsOperation::ReadAll, "/a/a", ErrorCode(5), 0, 1});
    ContentsComparison found = CompareContents(fs, "/s/a", "/a/a");
    EXPECT_EQ(found.verdict, ContentsVerdict::ArchiveFailed);
    EXPECT_EQ(found.error, ErrorCode(5));

    fs.InjectFailure({FsOperation::ReadAll, "/s/a", ErrorCode(13), 0, 1});
    found = CompareContents(fs, "/s/a", "/a/a");
    EXPECT_EQ(found.verdict, ContentsVerdict::SourceFailed);
    EXPECT_EQ(found.error, ErrorCode(13));

    found = CompareContents(fs, "/s/a", "/a/missing");
    EXPECT_EQ(found.verdict, ContentsVerdict::ArchiveFailed);
    EXPECT_EQ(found.error, ErrorCode(2));
    EXPECT_EQ(Verdict(fs, "/s/a", "/a/a"), ContentsVerdict::Match) << "the faults are used up";
}

TEST(CompareContents, ASourceThatChangesWhileReadIsNeverAMatch) {
    MemoryFileSystem fs;
    fs.AddFile("/s/a", "same", 100);
    fs.AddFile("/a/a", "same", 100);
    // Written again within the same second at every read: equal bytes, yet no steady version.
    std::int64_t writes = 0;
    fs.SetBeforeCall([&](FsOperation operation, const std::string& path) {
        if (operation == FsOperation::ReadAll && path == "/s/a") {
            fs.SetLastWriteNs("/s/a", 100 * kNs + ++writes);
        }
    });
    const ContentsComparison found = CompareContents(fs, "/s/a", "/a/a");
    EXPECT_EQ(found.verdict, ContentsVerdict::Changing);
    EXPECT_EQ(found.error, kErrorChangedWhileCompared);
    EXPECT_EQ(writes, kCompareTries);

    // A change during the first reading only: the second compares a steady version.
    writes = 0;
    fs.SetBeforeCall([&](FsOperation operation, const std::string& path) {
        if (operation == FsOperation::ReadAll && path == "/s/a" && writes++ == 0) {
            fs.SetContent("/s/a", "SAME");
            fs.SetLastWriteNs("/s/a", 100 * kNs + 5);
        }
    });
    EXPECT_EQ(Verdict(fs, "/s/a", "/a/a"), ContentsVerdict::Differ);
    EXPECT_EQ(writes, 2);

    // An archive replaced while it is read is another version too.
    writes = 0;
    fs.SetBeforeCall([&](FsOperation operation, const std::string& path) {
        if (operation == FsOperation::ReadAll && path == "/a/a" && writes++ == 0) {
            fs.AddFile("/a/a", "SAME", 100);
        }
    });
    EXPECT_EQ(Verdict(fs, "/s/a", "/a/a"), ContentsVerdict::Match);
    EXPECT_EQ(writes, 2);
}

std::map<std::string, std::string> Files(const MemoryFileSystem& fs) {
    std::map<std::string, std::string> files;
    for (const std::string& path : fs.Paths()) {
        files[path] = fs.Content(path) + "@" + std::to_string(fs.LastWriteNs(path));
    }
    return files;
}

TEST(VerifySelected, ComparesUpToDateRowsAndMarksThoseThatDiffer) {
    OperationsHarness h;
    h.AddUpToDate("match");                   // row 0
    h.AddUpToDate("rotted");                  // row 1
    h.AddOutOfDate("old");                    // row 2
    h.fs.AddFile("/src/lost", "only", 2000);  // row 3: no archive
    h.Add("/src/lost", "/arc/lost");
    h.AddUpToDate("unselected");  // row 4
    h.fs.SetContent("/arc/rotted", "SAME");
    h.fs.SetContent("/arc/unselected", "SAMe");
    h.Select({0, 1, 2, 3});
    const std::map<std::string, std::string> before = Files(h.fs);
    h.ui.ClearCalls();

    OnVerifySelected(*h.doc);

    EXPECT_EQ(h.rows().Entry(0).textColor, kColorUpToDate);
    EXPECT_EQ(h.CellText(0, kColumnResults), "Contents Verified");
    EXPECT_EQ(h.rows().Entry(1).textColor, kColorProblem);
    EXPECT_EQ(h.rows().Entry(1).state, EntryState::Problem);
    // The Results column puts the result word, empty here, and a blank before a failure.
    EXPECT_EQ(h.CellText(1, kColumnResults), " Contents Differ");
    EXPECT_EQ(h.rows().Entry(2).textColor, kColorOutOfDate);
    EXPECT_EQ(h.CellText(2, kColumnResults), "");
    EXPECT_EQ(h.rows().Entry(3).textColor, kColorProblem);
    EXPECT_EQ(h.rows().Entry(3).result, kResultArchiveFailed);
    EXPECT_EQ(h.rows().Entry(4).textColor, kColorUpToDate) << "not selected, not read";

    ASSERT_EQ(h.Boxes().size(), 1u);
    EXPECT_EQ(h.Boxes()[0].caption, "Verify Report");
    EXPECT_EQ(h.Boxes()[0].flags, kMbOk | kMbIconInformation);
    EXPECT_EQ(h.Boxes()[0].text,
              "1  File was verified.\n\n1  File differs.\n\n0  Files could not be read.\n\n"
              "2  Files were not compared. (out of date or problems)\n\n0  Files were skipped.\n" +
                  std::string(42, '-') + "\n4  total files");
    EXPECT_EQ(h.ui.CallsOf(UiCallKind::ProgressCreate).back().text, " Verifying files");

    EXPECT_EQ(Files(h.fs), before) << "nothing on disk changes";
    EXPECT_FALSE(h.doc->IsModified());
    EXPECT_EQ(h.SelectedRows(), (std::vector<int>{0, 1, 2, 3}));
}

TEST(VerifySelected, FailedReadsAndChangingFilesAreProblemsNeverMatches) {
    OperationsHarness h;
    h.AddUpToDate("unreadable");
    h.AddUpToDate("changing");
    h.AddUpToDate("saved");
    h.Select({0, 1, 2});
    h.fs.InjectFailure({FsOperation::ReadAll, "/arc/unreadable", ErrorCode(5), 0, -1});
    h.fs.SetBeforeCall([&](FsOperation operation, const std::string& path) {
        if (operation != FsOperation::ReadAll) {
            return;
        }
        if (path == "/src/changing") {
            h.fs.SetLastWriteNs(path, h.fs.LastWriteNs(path) + 1);
        } else if (path == "/src/saved" && h.fs.Size(path) == 4) {
            // Its user saves it while it is read: a newer, longer version.
            h.fs.AddFile(path, "saved again", 3000);
        }
    });

    const VerifyResult result = RunVerify(*h.doc);

    EXPECT_EQ(result.counts.verified, 0u);
    EXPECT_EQ(result.counts.unreadable, 2u);
    EXPECT_EQ(result.counts.notCompared, 1u);
    EXPECT_EQ(h.rows().Entry(0).textColor, kColorProblem);
    EXPECT_EQ(h.CellText(0, kColumnResults), " Input/output error");
    EXPECT_EQ(h.rows().Entry(1).textColor, kColorProblem);
    EXPECT_EQ(h.CellText(1, kColumnResults),
              " The source or archive kept changing while it was compared.");
    EXPECT_EQ(h.rows().Entry(2).textColor, kColorOutOfDate) << "changed, not damaged";
    ASSERT_EQ(result.problems.size(), 2u);
    EXPECT_EQ(result.problems[0].row, 0);
    EXPECT_EQ(result.problems[0].verdict, ContentsVerdict::ArchiveFailed);
    EXPECT_EQ(result.problems[1].verdict, ContentsVerdict::Changing);
    EXPECT_TRUE(h.Boxes().empty()) << "the run alone shows no report";
}

TEST(VerifySelected, NothingSelectedRunsNothing) {
    OperationsHarness h;
    h.AddUpToDate("a");
    h.ui.ClearCalls();
    OnVerifySelected(*h.doc);
    EXPECT_FALSE(RunVerify(*h.doc).ran);
    EXPECT_TRUE(h.ui.Calls().empty());
}

// Spoils the archive `target` right after each copy that writes it, keeping its size and
// time, or gives its source a newer version.
class SpoilingCopies : public FileSystemWrapper {
  public:
    SpoilingCopies(MemoryFileSystem& fs, std::string target, bool changeSource)
        : FileSystemWrapper(fs), fs_(fs), target_(std::move(target)), changeSource_(changeSource) {}

    std::vector<ErrorCode> CopyBatch(const std::vector<CopyRequest>& requests) override {
        std::vector<ErrorCode> results = Inner().CopyBatch(requests);
        for (const CopyRequest& request : requests) {
            if (*request.to != target_) {
                continue;
            }
            if (changeSource_) {
                fs_.AddFile(*request.from, "a newer and longer source", 5000);
            } else {
                std::string bytes = fs_.Content(target_);
                bytes[0] = static_cast<char>(bytes[0] ^ 1);
                fs_.SetContent(target_, bytes);
            }
        }
        return results;
    }

  private:
    MemoryFileSystem& fs_;
    std::string target_;
    bool changeSource_;
};

struct AfterCopyRun {
    BackupCounts counts;
    std::vector<std::uint32_t> colors;
    std::string spoiltResults;
};

AfterCopyRun BackUpSpoiling(bool setting, std::optional<bool> override, bool changeSource) {
    OperationsHarness h;
    SpoilingCopies fs(h.fs, "/arc/b", changeSource);
    Services services{fs, h.shell, h.ui, h.settings, h.clock, h.errors};
    CBrackenholdDoc doc(services, nullptr, "./");
    doc.SetPathName(OperationsHarness::kManager);
    for (const char* name : {"a", "b", "c"}) {
        h.fs.AddFile(std::string("/src/") + name, std::string("new ") + name, 2000);
        h.fs.AddFile(std::string("/arc/") + name, "old", 1000);
        doc.rows().Append(std::make_unique<CFileEntry>(
            std::string("/src/") + name, std::string("/arc/") + name, "", h.shell, fs));
    }
    ManagerOptions options;
    options.verifyAfterCopy = setting;
    doc.SetOptions(options);
    BackupOptions run;
    run.verifyAfterCopy = override;
    AfterCopyRun result;
    result.counts = RunBackup(doc, run).counts;
    for (int row = 0; row < 3; ++row) {
        result.colors.push_back(doc.rows().Entry(row).textColor);
    }
    result.spoiltResults = CellText(doc.rows(), 1, kColumnResults, h.clock, h.errors);
    return result;
}

TEST(VerifyAfterCopy, CatchesAnArchiveSpoiltAfterItWasWritten) {
    // Off: the size and time agree, so the spoilt copy passes as backed up.
    AfterCopyRun off = BackUpSpoiling(false, std::nullopt, false);
    EXPECT_EQ(off.counts.backedUp, 3u);
    EXPECT_EQ(off.counts.problems, 0u);
    EXPECT_EQ(off.colors[1], kColorUpToDate);

    for (const AfterCopyRun& on :
         {BackUpSpoiling(true, std::nullopt, false), BackUpSpoiling(false, true, false)}) {
        EXPECT_EQ(on.counts.backedUp, 2u);
        EXPECT_EQ(on.counts.problems, 1u);
        EXPECT_EQ(on.colors,
                  (std::vector<std::uint32_t>{kColorUpToDate, kColorProblem, kColorUpToDate}));
        EXPECT_EQ(on.spoiltResults, " Contents Differ After Copy");
    }
    // The run's own choice wins over the manager's setting.
    EXPECT_EQ(BackUpSpoiling(true, false, false).counts.problems, 0u);
}

TEST(VerifyAfterCopy, ASourceSavedAfterItsCopyIsOutOfDateNotAProblem) {
    AfterCopyRun changed = BackUpSpoiling(true, std::nullopt, true);
    EXPECT_EQ(changed.counts.backedUp, 3u);
    EXPECT_EQ(changed.counts.problems, 0u);
    EXPECT_EQ(changed.colors[1], kColorOutOfDate);
    EXPECT_EQ(changed.spoiltResults, "");
}

TEST(VerifyAfterCopy, TheMenuItemTurnsTheManagersSettingOver) {
    OperationsHarness h;
    OnToggleVerifyAfterCopy(*h.doc);
    EXPECT_TRUE(h.doc->Options().verifyAfterCopy);
    EXPECT_TRUE(h.doc->IsModified());
    EXPECT_TRUE(h.doc->OptionsChanged());
    OnToggleVerifyAfterCopy(*h.doc);
    EXPECT_FALSE(h.doc->Options().verifyAfterCopy);
}

}  // namespace
}  // namespace bh
