#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/base/PathParts.h"
#include "core/operations/BackupRun.h"
#include "core/operations/Import.h"
#include "core/operations/ManagerFile.h"
#include "core/operations/RemoveSelected.h"
#include "core/operations/SharedArchives.h"
#include "core/ports/MessageBoxFlags.h"
#include "core/view/Columns.h"
#include "platform/memory/RecordingShell.h"
#include "support/OperationsHarness.h"

// Files that more than one entry reaches: an archive two sources would be copied over, an
// archive that is another entry's source, one file under two spellings.
namespace bh {
namespace {

using test::OperationsHarness;

std::string Results(const OperationsHarness& h, int row) {
    return h.CellText(row, kColumnResults);
}

TEST(ComparablePath, SpellingsOfOnePathCompareEqual) {
    EXPECT_EQ(ComparablePath("/m/./a.txt"), "/m/a.txt");
    EXPECT_EQ(ComparablePath("/M//x/../A.TXT"), "/m/a.txt");
    EXPECT_EQ(ComparablePath("C:\\Data\\.\\Report.doc"), "c:/data/report.doc");
    EXPECT_EQ(ComparablePath("\\\\server\\share\\a"), "//server/share/a");
    EXPECT_EQ(ComparablePath("/../a/"), "/a");
    EXPECT_EQ(ComparablePath("../../a"), "../../a");
    EXPECT_NE(ComparablePath("/m/a.txt"), ComparablePath("/m/a.txt.bak"));
}

TEST(SharedArchives, TwoSourcesOnOneArchiveAreProblemsAndNothingIsCopied) {
    OperationsHarness h;
    h.fs.AddFile("/src/b.txt", "b's bytes", 2000);
    h.fs.AddFile("/src/c.txt", "c's bytes", 2000);
    h.fs.AddFile("/arc/shared.txt", "old", 1000);
    h.AddUpToDate("d.txt");
    h.Add("/src/b.txt", "/arc/shared.txt");
    h.Add("/src/c.txt", "/arc/shared.txt");

    const BackupResult result = RunBackup(*h.doc);
    EXPECT_EQ(result.counts.backedUp, 0u);
    EXPECT_EQ(result.counts.problems, 2u);
    EXPECT_EQ(result.counts.upToDate, 1u);
    EXPECT_EQ(h.fs.Content("/arc/shared.txt"), "old");
    EXPECT_EQ(h.rows().Entry(1).textColor, kColorProblem);
    EXPECT_EQ(h.rows().Entry(1).LastErrorCode(), kErrorSharedArchive);
    EXPECT_EQ(Results(h, 1), "archive  also the archive of /src/c.txt");
    EXPECT_EQ(Results(h, 2), "archive  also the archive of /src/b.txt");
    EXPECT_EQ(Results(h, 0), "");

    // One source listed twice with one archive is no clash: both copies are the same bytes.
    h.rows().Clear();
    h.Add("/src/b.txt", "/arc/shared.txt");
    h.Add("/src/b.txt", "/ARC/../arc/shared.txt");
    EXPECT_EQ(RunBackup(*h.doc).counts.problems, 0u);
    EXPECT_EQ(h.fs.Content("/arc/shared.txt"), "b's bytes");
}

TEST(SharedArchives, OneArchiveUnderTwoSpellingsOrLinksIsStillShared) {
    OperationsHarness h;
    h.fs.AddFile("/src/b.txt", "b", 2000);
    h.fs.AddFile("/src/c.txt", "c", 2000);
    h.fs.AddFile("/arc/one.txt", "old", 1000);
    h.fs.AddLink("/arc/one.txt", "/arc/two.txt");
    h.Add("/src/b.txt", "/arc/one.txt");
    h.Add("/src/c.txt", "/arc/two.txt");
    RefreshStatus(*h.doc);
    EXPECT_EQ(h.rows().Entry(0).LastErrorCode(), kErrorSharedArchive);
    EXPECT_EQ(h.rows().Entry(1).LastErrorCode(), kErrorSharedArchive);

    // Once the clash is gone, the next refresh clears the mark.
    h.fs.Erase("/arc/two.txt");
    h.fs.AddFile("/arc/two.txt", "separate", 1000);
    RefreshStatus(*h.doc);
    EXPECT_EQ(h.rows().Entry(0).LastErrorCode(), kNoError);
    EXPECT_EQ(h.rows().Entry(1).textColor, kColorOutOfDate);
}

TEST(SharedArchives, TheArchiveOfAMissingSourceIsNotOverwrittenByAnother) {
    // The archive is all that is left of a.txt: b.txt, which shares it, must not replace it.
    OperationsHarness h;
    h.fs.AddFile("/src/b.txt", "b", 2000);
    h.fs.AddFile("/arc/a.txt", "the last copy of a", 1000);
    h.Add("/src/a.txt", "/arc/a.txt");
    h.Add("/src/b.txt", "/arc/a.txt");
    const BackupResult result = RunBackup(*h.doc);
    EXPECT_EQ(result.counts.problems, 2u);
    EXPECT_EQ(h.fs.Content("/arc/a.txt"), "the last copy of a");
    EXPECT_EQ(h.rows().Entry(0).result, kResultSourceFailed) << "keeps its own reason";
    EXPECT_EQ(h.rows().Entry(1).LastErrorCode(), kErrorSharedArchive);
}

TEST(SharedArchives, AnArchivePathChangedSinceTheLastLookStillClashes) {
    // Move Path retargets without evaluating; the next backup selected looks again only at
    // the selected row, while the moved row still carries the identity of its old archive.
    OperationsHarness h;
    h.fs.AddFile("/src/b.txt", "b", 2000);
    h.fs.AddFile("/src/c.txt", "c", 2000);
    h.fs.AddFile("/arc/b.txt", "b", 2000);
    h.fs.AddFile("/arc/c.txt", "c", 2000);
    h.Add("/src/b.txt", "/arc/b.txt");
    h.Add("/src/c.txt", "/arc/c.txt");
    h.rows().Entry(1).archivePath = "/arc//./b.txt";
    h.fs.AddFile("/src/b.txt", "newer b", 3000);
    h.Select({0});
    BackupOptions selectedOnly;
    selectedOnly.selectedOnly = true;
    RunBackup(*h.doc, selectedOnly);
    EXPECT_EQ(h.fs.Content("/arc/b.txt"), "b");
    EXPECT_EQ(h.rows().Entry(0).LastErrorCode(), kErrorSharedArchive);
}

TEST(SharedArchives, OpeningAndImportingMarkClashesAtOnce) {
    OperationsHarness h;
    h.fs.AddFile("/src/b.txt", "b", 2000);
    h.fs.AddFile("/src/c.txt", "c", 2000);
    h.fs.AddFile("/arc/b.txt", "old", 1000);
    h.WriteManager("/m/other.bak", {{"/src/c.txt", "/arc/b.txt", ""}});
    h.WriteManager(h.kManager, {{"/src/b.txt", "/arc/b.txt", ""}});
    ASSERT_TRUE(OpenDocumentFile(*h.doc, h.kManager));
    EXPECT_EQ(h.rows().Entry(0).textColor, kColorOutOfDate);

    ASSERT_EQ(ImportManager(*h.doc, "/m/other.bak"), ImportResult::Imported);
    EXPECT_EQ(Results(h, 0), "archive  also the archive of /src/c.txt");
    EXPECT_EQ(Results(h, 1), "archive  also the archive of /src/b.txt");

    h.WriteManager("/m/both.bak",
                   {{"/src/b.txt", "/arc/b.txt", ""}, {"/src/c.txt", "/arc/b.txt", ""}});
    ASSERT_TRUE(OpenDocumentFile(*h.doc, "/m/both.bak"));
    EXPECT_EQ(h.rows().Entry(0).textColor, kColorProblem);
    EXPECT_EQ(h.rows().Entry(1).textColor, kColorProblem);
}

// The clash rule stated directly, entry against entry: an archive known by its comparable
// path or by its identity; the first other source of the first group that has one.
std::string ExpectedSharedWith(const std::vector<std::unique_ptr<CFileEntry>>& entries,
                               std::size_t i) {
    const auto sameSource = [](const CFileEntry& a, const CFileEntry& b) {
        return FileKey(a.sourceIdentity, a.sourcePath) == FileKey(b.sourceIdentity, b.sourcePath);
    };
    const auto byPath = [&](const CFileEntry& a, const CFileEntry& b) {
        return ComparablePath(a.archivePath) == ComparablePath(b.archivePath);
    };
    const auto byIdentity = [](const CFileEntry& a, const CFileEntry& b) {
        return a.archiveIdentity.Known() && a.archiveIdentity == b.archiveIdentity;
    };
    const CFileEntry& entry = *entries[i];
    for (const auto& sameArchive :
         {std::function<bool(const CFileEntry&, const CFileEntry&)>(byPath),
          std::function<bool(const CFileEntry&, const CFileEntry&)>(byIdentity)}) {
        const CFileEntry* first = nullptr;
        const CFileEntry* other = nullptr;
        for (const auto& candidate : entries) {
            if (!sameArchive(entry, *candidate)) {
                continue;
            }
            if (first == nullptr) {
                first = candidate.get();
            } else if (other == nullptr && !sameSource(*candidate, *first)) {
                other = candidate.get();
            }
        }
        if (other != nullptr) {
            return sameSource(entry, *first) ? other->sourcePath : first->sourcePath;
        }
    }
    return "";
}

TEST(SharedArchives, RandomListsAreMarkedAsTheRuleSays) {
    RecordingShell shell;
    std::mt19937 random(7);
    const std::vector<std::string> sources{"/s/a", "/S/A", "/s/b", "/s/./c", "/s/x/../b"};
    const std::vector<std::string> archives{"/a/1", "/A/1", "/a//1",    "/a/2",  "/a/x/../2",
                                            "/a/3", "/a/4", "C:\\a\\4", "c:/a/4"};
    for (int round = 0; round < 300; ++round) {
        std::vector<std::unique_ptr<CFileEntry>> entries;
        const int count = 1 + static_cast<int>(random() % 8);
        for (int n = 0; n < count; ++n) {
            auto entry = std::make_unique<CFileEntry>(sources[random() % sources.size()],
                                                      archives[random() % archives.size()], "",
                                                      shell, CFileEntry::NotEvaluated{});
            // A few identities, shared by some entries, unknown for others.
            if (random() % 3 != 0) {
                entry->archiveIdentity = {1, 1 + random() % 3};
            }
            if (random() % 2 != 0) {
                entry->sourceIdentity = {2, 1 + random() % 2};
            }
            if (random() % 6 == 0) {
                entry->result = kResultSourceFailed;
            }
            entries.push_back(std::move(entry));
        }
        std::vector<CFileEntry*> pointers;
        std::vector<std::string> expected;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            pointers.push_back(entries[i].get());
            expected.push_back(
                entries[i]->result == kResultSourceFailed ? "" : ExpectedSharedWith(entries, i));
        }
        const std::vector<std::size_t> marked = MarkSharedArchives(pointers);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const bool isMarked = std::find(marked.begin(), marked.end(), i) != marked.end();
            EXPECT_EQ(isMarked, !expected[i].empty()) << "round " << round << " entry " << i;
            EXPECT_EQ(entries[i]->SharedWith(), expected[i]) << "round " << round << " entry " << i;
        }
    }
}

TEST(ChainedEntries, AnArchiveThatIsAnotherSourcePassesItsNewBytesOn) {
    // /arc/x.txt is the archive of /src/a.txt and the source of a second entry; the refresh
    // finds the second one up to date before the first copy changes its source.
    OperationsHarness h;
    h.fs.AddFile("/src/a.txt", "new a", 3000);
    h.fs.AddFile("/arc/x.txt", "old a", 1000);
    h.fs.AddFile("/far/x.txt", "old a", 1000);
    h.Add("/arc/x.txt", "/far/x.txt");  // row 0: before the copy that changes its source
    h.Add("/src/a.txt", "/arc/x.txt");  // row 1
    h.fs.AddFile("/far/y.txt", "old a", 1000);
    h.Add("/arc/x.txt", "/far/y.txt");  // row 2: after it

    const BackupResult result = RunBackup(*h.doc);
    EXPECT_EQ(h.fs.Content("/arc/x.txt"), "new a");
    EXPECT_EQ(h.fs.Content("/far/y.txt"), "new a") << "a later entry is copied in the same run";
    EXPECT_EQ(h.rows().Entry(2).textColor, kColorUpToDate);
    EXPECT_EQ(result.counts.backedUp, 2u);
    EXPECT_EQ(h.fs.Content("/far/x.txt"), "old a");
    EXPECT_EQ(h.rows().Entry(0).textColor, kColorOutOfDate)
        << "an earlier entry no longer claims to be up to date";

    // A chained entry whose archive is shared stays a problem, and its archive untouched.
    h.fs.AddFile("/src/b.txt", "b", 3000);
    h.fs.AddFile("/src/a.txt", "newer a", 4000);
    h.Add("/src/b.txt", "/far/y.txt");  // row 3 shares row 2's archive
    RunBackup(*h.doc);
    EXPECT_EQ(h.fs.Content("/arc/x.txt"), "newer a");
    EXPECT_EQ(h.fs.Content("/far/y.txt"), "new a");
    EXPECT_EQ(h.rows().Entry(2).LastErrorCode(), kErrorSharedArchive);
}

TEST(ChainedEntries, AFileReplacedTwiceInOneRunIsStillFollowed) {
    // /m/b.dat is replaced by row 0 and again by row 4, each time with a new identity; rows 1
    // and 3 read it, row 2 replaces row 0's source in between.
    OperationsHarness h;
    h.fs.AddFolder("/src2");
    h.fs.AddFile("/src/b.dat", "b, first", 3000);
    h.fs.AddFile("/m/b.dat", "", 1000);
    h.fs.AddFile("/src2/a.txt", "a", 1000);
    h.fs.AddFile("/src2/d.log", "d, first version", 2000);
    h.Add("/src/b.dat", "/m/b.dat");
    h.Add("/m/b.dat", "/src2/a.txt");
    h.Add("/src2/d.log", "/src/b.dat");
    h.Add("/m/b.dat", "/src2/d.log");
    h.Add("/src//b.dat", "/m/b.dat");

    RunBackup(*h.doc);
    for (int row = 0; row < h.rows().Count(); ++row) {
        const CFileEntry& entry = h.rows().Entry(row);
        if (entry.textColor == kColorUpToDate) {
            EXPECT_EQ(h.fs.Content(entry.archivePath), h.fs.Content(entry.sourcePath))
                << "row " << row << " is shown up to date";
        }
    }
}

TEST(RemoveWithDeletion, NeverDeletesAFileAnotherEntryUses) {
    OperationsHarness h;
    h.fs.AddFile("/src/a.txt", "a", 2000);
    h.fs.AddFile("/src/b.txt", "b", 2000);
    h.fs.AddFile("/m/a.txt", "archive of a, and b's own source", 2000);
    h.fs.AddFile("/arc/shared.txt", "the only copy", 2000);
    h.fs.AddFile("/arc/own.txt", "a's other archive", 2000);
    h.fs.AddFile("/arc/linked.txt", "linked", 2000);
    h.fs.AddLink("/arc/linked.txt", "/arc/alias.txt");
    h.Add("/src/a.txt", "/m/a.txt");          // 0: its archive is entry 1's source
    h.Add("/m/a.txt", "/m/a[1].txt");         // 1
    h.Add("/src/a.txt", "/arc/shared.txt");   // 2: shares its archive with 3
    h.Add("/src/b.txt", "/arc/shared.txt");   // 3
    h.Add("/src/a.txt", "/arc/own.txt");      // 4: nobody else uses its archive
    h.Add("/src/a.txt", "/arc/alias.txt");    // 5: the same file as 6's archive
    h.Add("/src/b.txt", "/arc/linked.txt");   // 6
    h.Add("/src/b.txt", "/arc/missing.txt");  // 7: already gone
    h.Select({0, 2, 4, 5, 7});

    std::vector<ArchiveNotDeleted> notDeleted;
    EXPECT_EQ(RemoveSelectedEntries(*h.doc, true, &notDeleted), 5);
    EXPECT_EQ(h.fs.Content("/m/a.txt"), "archive of a, and b's own source");
    EXPECT_EQ(h.fs.Content("/arc/shared.txt"), "the only copy");
    EXPECT_EQ(h.fs.Content("/arc/alias.txt"), "linked");
    EXPECT_FALSE(h.fs.Exists("/arc/own.txt"));
    ASSERT_EQ(notDeleted.size(), 3u);
    for (const ArchiveNotDeleted& kept : notDeleted) {
        EXPECT_EQ(kept.error, kErrorFileInUse) << kept.path;
    }
    EXPECT_EQ(h.rows().Count(), 3);

    // Removing every user of a file still keeps it while it is some entry's source.
    h.Select({0, 1, 2});
    notDeleted.clear();
    EXPECT_EQ(RemoveSelectedEntries(*h.doc, true, &notDeleted), 3);
    EXPECT_EQ(h.fs.Content("/m/a.txt"), "archive of a, and b's own source");
    EXPECT_FALSE(h.fs.Exists("/arc/shared.txt")) << "no entry is left to use it";
    EXPECT_FALSE(h.fs.Exists("/arc/linked.txt"));
}

TEST(RemoveWithDeletion, AFailedDeletionIsListedWithItsReason) {
    OperationsHarness h;
    h.AddUpToDate("a.txt");
    h.fs.InjectFailure({FsOperation::Remove, "/arc/a.txt", ErrorCode(13)});
    h.Select({0});
    std::vector<ArchiveNotDeleted> notDeleted;
    EXPECT_EQ(RemoveSelectedEntries(*h.doc, true, &notDeleted), 1);
    ASSERT_EQ(notDeleted.size(), 1u);
    EXPECT_EQ(notDeleted[0].path, "/arc/a.txt");
    EXPECT_EQ(notDeleted[0].error, ErrorCode(13));
    EXPECT_EQ(h.rows().Count(), 0) << "the entry goes all the same";
}

}  // namespace
}  // namespace bh
