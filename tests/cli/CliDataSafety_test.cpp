#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "core/document/ManagerFileFormat.h"
#include "support/CliOutput.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

// The command-line program on real folders, in the ways a user loses data or misses a
// failure: shared archives, damaged managers, failed saves, copies that cannot be made.
namespace bh {
namespace {

using test::CliRun;
using test::Contains;
using test::TempDir;

class CliDataSafetyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir.MakeFolder("src");
        dir.MakeFolder("Y");
    }

    CliRun Cli(const std::vector<std::string>& args) {
        return test::RunProgram(BH_CLI_PATH, args, dir.Path());
    }

    // A source written at a fixed time, so that it is newer than any archive made after it.
    std::string Source(const std::string& name, const std::string& content) {
        const std::string path = dir.Write("src/" + name, content);
        EXPECT_TRUE(TempDir::SetTimes(path, 1600000000));
        return path;
    }

    void WriteManager(const std::vector<ManagerRecord>& records) {
        dir.Write("Y/m.bak", EncodeManager(records));
    }

    TempDir dir;
};

TEST_F(CliDataSafetyTest, RemovingWithDeletionKeepsEveryFileAnotherEntryUses) {
    // The manager lives in Y: adding Y/a.txt after a.txt makes one entry's archive the
    // other entry's source.
    Source("a.txt", "user's a");
    ASSERT_EQ(Cli({"new", "Y/m.bak"}).exitCode, 0);
    ASSERT_EQ(Cli({"add", "Y/m.bak", "src/a.txt"}).exitCode, 0);
    dir.Write("Y/a.txt", "the user's own file in Y");
    ASSERT_EQ(Cli({"add", "Y/m.bak", "Y/a.txt"}).exitCode, 0);
    ASSERT_TRUE(TempDir::Exists(dir.File("Y/a[1].txt")));

    CliRun removed = Cli({"remove", "Y/m.bak", "1", "--delete-archives"});
    EXPECT_EQ(removed.exitCode, 1) << "an archive that was asked for stayed";
    EXPECT_EQ(TempDir::Read(dir.File("Y/a.txt")), "the user's own file in Y");
    EXPECT_TRUE(Contains(removed.err, "brackenhold-cli: " + dir.File("Y/a.txt") + ": "))
        << removed.err;
    CliRun listed = Cli({"list", "Y/m.bak"});
    EXPECT_FALSE(Contains(listed.out, dir.File("src/a.txt")));

    // Two entries sharing one archive (as an import makes them): removing one keeps it.
    Source("b.txt", "b");
    Source("c.txt", "c");
    dir.Write("Y/shared.txt", "the only copy of b");
    dir.Write("Y/own.txt", "c's archive");
    WriteManager({{dir.File("src/b.txt"), dir.File("Y/shared.txt"), ""},
                  {dir.File("src/c.txt"), dir.File("Y/shared.txt"), ""},
                  {dir.File("src/c.txt"), dir.File("Y/own.txt"), ""}});
    removed = Cli({"remove", "Y/m.bak", "2", "3", "--delete-archives"});
    EXPECT_EQ(removed.exitCode, 1);
    EXPECT_EQ(TempDir::Read(dir.File("Y/shared.txt")), "the only copy of b");
    EXPECT_FALSE(TempDir::Exists(dir.File("Y/own.txt")))
        << "an archive nobody else uses is deleted";
    EXPECT_TRUE(TempDir::Exists(dir.File("src/c.txt")));

    // The same file reached through a hard link counts as the same file.
    dir.Write("Y/kept.txt", "kept");
    ASSERT_EQ(link(dir.File("Y/kept.txt").c_str(), dir.File("Y/alias.txt").c_str()), 0);
    WriteManager({{dir.File("src/b.txt"), dir.File("Y/kept.txt"), ""},
                  {dir.File("src/c.txt"), dir.File("Y/alias.txt"), ""}});
    removed = Cli({"remove", "Y/m.bak", "2", "--delete-archives"});
    EXPECT_EQ(TempDir::Read(dir.File("Y/kept.txt")), "kept");
    EXPECT_TRUE(TempDir::Exists(dir.File("Y/alias.txt")));
}

TEST_F(CliDataSafetyTest, ArchiveSharedByTwoSourcesIsNeverOverwrittenAndIsNamed) {
    Source("b.txt", "b's bytes");
    Source("c.txt", "c's other bytes");
    dir.Write("Y/shared.txt", "old");
    ASSERT_TRUE(TempDir::SetTimes(dir.File("Y/shared.txt"), 1500000000));
    WriteManager({{dir.File("src/b.txt"), dir.File("Y/shared.txt"), ""},
                  {dir.File("src/c.txt"), dir.File("Y/shared.txt"), ""}});

    const CliRun backup = Cli({"backup", "Y/m.bak"});
    EXPECT_EQ(backup.exitCode, 1);
    EXPECT_TRUE(Contains(backup.out, "0  Files were backed up."));
    EXPECT_TRUE(Contains(backup.out, "2  Files have problems."));
    EXPECT_EQ(TempDir::Read(dir.File("Y/shared.txt")), "old");
    EXPECT_TRUE(Contains(backup.err, "brackenhold-cli: " + dir.File("Y/shared.txt") +
                                         ": also the archive of " + dir.File("src/c.txt")))
        << backup.err;

    const CliRun status = Cli({"status", "Y/m.bak"});
    EXPECT_EQ(status.exitCode, 1) << "neither entry may be shown up to date";
    EXPECT_TRUE(Contains(status.out, "also the archive of")) << status.out;
}

TEST_F(CliDataSafetyTest, ManagerWithBytesAfterItsLastRecordIsRefusedAndKept) {
    Source("b.txt", "b");
    Source("c.txt", "c");
    std::string bytes =
        EncodeManager(std::vector<ManagerRecord>{{dir.File("src/b.txt"), dir.File("Y/b.txt"), ""},
                                                 {dir.File("src/c.txt"), dir.File("Y/c.txt"), ""}});
    // A count byte flipped from 2 to 1 leaves the second record behind the "last" one.
    const std::size_t countAt = 1 + 21;
    ASSERT_EQ(bytes[countAt], 2);
    bytes[countAt] = 1;
    dir.Write("Y/m.bak", bytes);

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"list", "Y/m.bak"}, {"add", "Y/m.bak", "src/b.txt"}}) {
        const CliRun run = Cli(args);
        EXPECT_EQ(run.exitCode, 2) << args[0];
        EXPECT_TRUE(Contains(run.err, "Failed to open document: ")) << run.err;
        EXPECT_TRUE(Contains(run.err, "bytes follow its last entry")) << run.err;
    }
    EXPECT_EQ(TempDir::Read(dir.File("Y/m.bak")), bytes);
}

TEST_F(CliDataSafetyTest, AddThatCannotSaveRemovesTheArchivesItCreated) {
    Source("x.txt", "x");
    Source("z.txt", "z");
    ASSERT_EQ(Cli({"new", "Y/m.bak"}).exitCode, 0);
    dir.Write("Y/other.txt", "not ours");
    // A read-only manager is never replaced, for root too.
    ASSERT_EQ(chmod(dir.File("Y/m.bak").c_str(), 0444), 0);

    const CliRun failed = Cli({"add", "Y/m.bak", "src/x.txt", "src/z.txt"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(Contains(failed.err, "Failed to save document: ")) << failed.err;
    EXPECT_FALSE(TempDir::Exists(dir.File("Y/x.txt")));
    EXPECT_FALSE(TempDir::Exists(dir.File("Y/z.txt")));
    EXPECT_EQ(TempDir::Read(dir.File("Y/other.txt")), "not ours");

    ASSERT_EQ(chmod(dir.File("Y/m.bak").c_str(), 0644), 0);
    ASSERT_EQ(Cli({"add", "Y/m.bak", "src/x.txt"}).exitCode, 0);
    EXPECT_TRUE(TempDir::Exists(dir.File("Y/x.txt"))) << "the next add gets the plain name again";
    EXPECT_FALSE(TempDir::Exists(dir.File("Y/x[1].txt")));
}

TEST_F(CliDataSafetyTest, RestoreKeepsASourceWhoseRequestedCopyCannotBeMade) {
    const std::string source = Source("a.txt", "the user's current a");
    dir.Write("Y/a.txt", "archived a");
    for (int n = 1; n <= 99; ++n) {
        dir.Write("src/a[copy" + std::to_string(n) + "].txt", "older copy");
    }
    WriteManager({{source, dir.File("Y/a.txt"), ""}});

    const CliRun restore = Cli({"restore", "Y/m.bak", "1", "--keep-copies"});
    EXPECT_EQ(restore.exitCode, 1);
    EXPECT_EQ(TempDir::Read(source), "the user's current a");
    EXPECT_TRUE(Contains(restore.out, "0 Files were restored")) << restore.out;
    EXPECT_TRUE(Contains(restore.err, "brackenhold-cli: " + source +
                                          ": no copy of the source could be made: File exists"))
        << restore.err;

    // Without copies the same restore goes through.
    const CliRun plain = Cli({"restore", "Y/m.bak", "1"});
    EXPECT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(TempDir::Read(source), "archived a");
}

TEST_F(CliDataSafetyTest, BackupNamesEveryFailedFileAndWhy) {
    Source("a.txt", "a");
    Source("b.txt", "b");
    Source("c.txt", "c");
    dir.Write("Y/a.txt", "old");
    ASSERT_TRUE(TempDir::SetTimes(dir.File("Y/a.txt"), 1500000000));
    // b's archive is missing; c's archive is a folder, which the copy cannot replace.
    dir.MakeFolder("Y/c.txt");
    WriteManager({{dir.File("src/a.txt"), dir.File("Y/a.txt"), ""},
                  {dir.File("src/b.txt"), dir.File("Y/b.txt"), ""},
                  {dir.File("src/c.txt"), dir.File("Y/c.txt"), ""}});

    const CliRun backup = Cli({"backup", "Y/m.bak"});
    EXPECT_EQ(backup.exitCode, 1);
    EXPECT_TRUE(Contains(backup.out, "1  File was backed up.")) << backup.out;
    EXPECT_TRUE(Contains(backup.err,
                         "brackenhold-cli: " + dir.File("Y/b.txt") + ": No such file or directory"))
        << backup.err;
    EXPECT_TRUE(
        Contains(backup.err, "brackenhold-cli: " + dir.File("Y/c.txt") + ": Is a directory"))
        << backup.err;
    EXPECT_EQ(TempDir::Read(dir.File("Y/a.txt")), "a");
}

}  // namespace
}  // namespace bh
