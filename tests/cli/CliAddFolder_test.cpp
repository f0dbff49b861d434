#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "cli/CliInFolder.h"
#include "core/document/ManagerFileFormat.h"
#include "support/CliOutput.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

namespace bh {
namespace {

using test::Cli;
using test::CliRun;
using test::Contains;
using test::TempDir;

bool IsFolder(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A manager m.bak and a tree with nested folders, a symbolic link to a file, one to a
// folder and a FIFO, on real folders.
class CliAddFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir.MakeFolder("tree");
        dir.MakeFolder("tree/sub");
        dir.MakeFolder("tree/sub/deep");
        dir.MakeFolder("tree/empty");
        dir.Write("tree/a.txt", "a");
        dir.Write("tree/sub/b.txt", "b");
        dir.Write("tree/sub/deep/c.txt", "c");
        ASSERT_EQ(symlink(dir.File("tree/a.txt").c_str(), dir.File("tree/file-link").c_str()), 0);
        ASSERT_EQ(symlink(dir.File("tree/sub").c_str(), dir.File("tree/folder-link").c_str()), 0);
        ASSERT_EQ(mkfifo(dir.File("tree/pipe").c_str(), 0600), 0);
        ASSERT_EQ(Cli(dir, {"new", "m.bak"}).exitCode, 0);
    }

    // "source -> archive" of every entry the saved manager holds, in order.
    std::vector<std::string> Entries() const {
        const ManagerReadResult read = DecodeManager(TempDir::Read(dir.File("m.bak")));
        std::vector<std::string> entries;
        for (const ManagerRecord& record : read.records) {
            entries.push_back(record.sourcePath + " -> " + record.archivePath);
        }
        return entries;
    }

    std::string Pair(const std::string& source, const std::string& archive) const {
        return dir.File(source) + " -> " + dir.File(archive);
    }

    TempDir dir;
};

TEST_F(CliAddFolderTest, AddsExactlyTheRegularFilesAndNamesTheRest) {
    const CliRun run = Cli(dir, {"add", "-v", "--recursive", "m.bak", "tree", "arc/tree"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> expected = {
        Pair("tree/a.txt", "arc/tree/a.txt"),
        Pair("tree/sub/b.txt", "arc/tree/sub/b.txt"),
        Pair("tree/sub/deep/c.txt", "arc/tree/sub/deep/c.txt"),
    };
    EXPECT_EQ(Entries(), expected);
    EXPECT_EQ(run.out,
              "added " + expected[0] + "\nadded " + expected[1] + "\nadded " + expected[2] + "\n");
    for (const char* archive :
         {"arc/tree/a.txt", "arc/tree/sub/b.txt", "arc/tree/sub/deep/c.txt"}) {
        EXPECT_TRUE(TempDir::Exists(dir.File(archive))) << archive;
        EXPECT_EQ(TempDir::Read(dir.File(archive)), "") << archive;
    }
    EXPECT_TRUE(IsFolder(dir.File("arc/tree/sub/deep")));
    EXPECT_FALSE(TempDir::Exists(dir.File("arc/tree/empty")));
    EXPECT_FALSE(TempDir::Exists(dir.File("arc/tree/file-link")));
    EXPECT_FALSE(TempDir::Exists(dir.File("arc/tree/folder-link")));
    EXPECT_FALSE(TempDir::Exists(dir.File("arc/tree/pipe")));
    EXPECT_EQ(run.err, "brackenhold-cli: " + dir.File("tree/file-link") +
                           ": skipped: symbolic link, not followed\n"
                           "brackenhold-cli: " +
                           dir.File("tree/folder-link") +
                           ": skipped: symbolic link, not followed\n"
                           "brackenhold-cli: " +
                           dir.File("tree/pipe") + ": skipped: not a regular file\n");

    // A later run adds only what is new.
    dir.Write("tree/sub/new.txt", "n");
    const CliRun again = Cli(dir, {"add", "-v", "--recursive", "m.bak", "tree", "arc/tree"});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.out, "added " + Pair("tree/sub/new.txt", "arc/tree/sub/new.txt") + "\n");
    EXPECT_EQ(Entries().size(), 4u);
    EXPECT_FALSE(TempDir::Exists(dir.File("arc/tree/a[1].txt")));
}

TEST_F(CliAddFolderTest, UsageErrorsAndRefusalsChangeNothing) {
    const std::string before = TempDir::Read(dir.File("m.bak"));
    const std::vector<std::vector<std::string>> refused = {
        {"add", "--recursive", "m.bak", "tree"},
        {"add", "--recursive", "m.bak", "tree", "arc", "more"},
        {"add", "--recursive", "m.bak", "tree", "tree/"},
        {"add", "--recursive", "m.bak", "tree/a.txt", "arc"},
        {"add", "--recursive", "m.bak", "tree/folder-link", "arc"},
    };
    for (const auto& args : refused) {
        const CliRun run = Cli(dir, args);
        EXPECT_EQ(run.exitCode, 2) << args.back() << run.err;
        EXPECT_TRUE(Contains(run.err, "brackenhold-cli: add: ")) << run.err;
    }
    const CliRun same = Cli(dir, {"add", "--recursive", "m.bak", "tree", "./tree"});
    EXPECT_TRUE(Contains(same.err, "The archive folder is the folder being added")) << same.err;
    EXPECT_EQ(TempDir::Read(dir.File("m.bak")), before);
    EXPECT_FALSE(TempDir::Exists(dir.File("arc")));
    EXPECT_FALSE(TempDir::Exists(dir.File("tree/a[1].txt")));
    // Without --recursive a folder is still refused as before.
    EXPECT_EQ(Cli(dir, {"add", "m.bak", "tree"}).exitCode, 1);
}

TEST_F(CliAddFolderTest, AnArchiveFolderReachedThroughALinkIsUsedAsItIs) {
    dir.MakeFolder("disk");
    ASSERT_EQ(symlink(dir.File("disk").c_str(), dir.File("backup").c_str()), 0);
    const CliRun run = Cli(dir, {"add", "--recursive", "m.bak", "tree", "backup"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Entries().size(), 3u);
    EXPECT_TRUE(TempDir::Exists(dir.File("disk/sub/deep/c.txt")));
    struct stat info {};
    ASSERT_EQ(lstat(dir.File("backup").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
}

TEST_F(CliAddFolderTest, AFileInTheWayOfAnArchiveFolderFailsThoseFilesOnly) {
    dir.MakeFolder("arc");
    dir.Write("arc/sub", "a file where the archive folder would go");
    const CliRun run = Cli(dir, {"add", "--recursive", "m.bak", "tree", "arc"});
    EXPECT_EQ(run.exitCode, 1);
    for (const char* source : {"tree/sub/b.txt", "tree/sub/deep/c.txt"}) {
        EXPECT_TRUE(Contains(run.err, "brackenhold-cli: " + dir.File(source) +
                                          ": not added: the archive folder could not be created: "))
            << run.err;
    }
    EXPECT_EQ(Entries(), (std::vector<std::string>{Pair("tree/a.txt", "arc/a.txt")}));
    EXPECT_EQ(TempDir::Read(dir.File("arc/sub")), "a file where the archive folder would go");
}

TEST_F(CliAddFolderTest, AnUnreadableSubfolderIsAFailureAndTheRestIsAdded) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root reads every folder";
    }
    ASSERT_EQ(chmod(dir.File("tree/sub/deep").c_str(), 0), 0);
    const CliRun run = Cli(dir, {"add", "--recursive", "m.bak", "tree", "arc"});
    ASSERT_EQ(chmod(dir.File("tree/sub/deep").c_str(), 0755), 0);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.err, "brackenhold-cli: " + dir.File("tree/sub/deep") +
                                      ": folder not read: Permission denied\n"))
        << run.err;
    EXPECT_EQ(Entries(), (std::vector<std::string>{Pair("tree/a.txt", "arc/a.txt"),
                                                   Pair("tree/sub/b.txt", "arc/sub/b.txt")}));
}

TEST_F(CliAddFolderTest, AnArchiveFolderInsideAndTheManagerBesideAreLeftAlone) {
    ASSERT_EQ(rename(dir.File("m.bak").c_str(), dir.File("tree/m.bak").c_str()), 0);
    for (int run = 0; run < 2; ++run) {
        const CliRun added =
            Cli(dir, {"add", "--recursive", "tree/m.bak", "tree", "tree/archives"});
        EXPECT_EQ(added.exitCode, 0) << added.err;
        EXPECT_TRUE(Contains(added.err,
                             dir.File("tree/m.bak") + ": skipped: the backup manager's own file\n"))
            << added.err;
        EXPECT_EQ(Contains(added.err, dir.File("tree/archives") +
                                          ": skipped: the archive folder, not entered\n"),
                  run == 1)
            << added.err;
    }
    const ManagerReadResult read = DecodeManager(TempDir::Read(dir.File("tree/m.bak")));
    ASSERT_EQ(read.records.size(), 3u);
    for (const ManagerRecord& record : read.records) {
        EXPECT_FALSE(Contains(record.sourcePath, "/archives/")) << record.sourcePath;
        EXPECT_FALSE(Contains(record.sourcePath, "m.bak")) << record.sourcePath;
    }
}

TEST_F(CliAddFolderTest, AManagerThatCannotBeSavedTakesItsNewArchivesBack) {
    // A read-only manager is never replaced, for root too.
    ASSERT_EQ(chmod(dir.File("m.bak").c_str(), 0444), 0);
    const CliRun run = Cli(dir, {"add", "--recursive", "m.bak", "tree", "arc"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.err, "Failed to save document: ")) << run.err;
    for (const char* archive : {"arc/a.txt", "arc/sub/b.txt", "arc/sub/deep/c.txt"}) {
        EXPECT_FALSE(TempDir::Exists(dir.File(archive))) << archive;
    }
    EXPECT_TRUE(Entries().empty());
}

}  // namespace
}  // namespace bh
