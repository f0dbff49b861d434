#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
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

std::int64_t ModifiedNs(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return -1;
    }
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

// A manager m.bak with two sources whose archives are older copies, and one up-to-date pair.
class CliOperationsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir.MakeFolder("src");
        dir.MakeFolder("arc");
        for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
            const std::string source =
                dir.Write(std::string("src/") + name, "data " + std::string(name));
            ASSERT_TRUE(TempDir::SetTimes(source, 2000000000));
        }
        dir.Write("arc/a.txt", "old");
        dir.Write("arc/b.txt", "old b");
        dir.Write("arc/c.txt", "data c.txt");
        ASSERT_TRUE(TempDir::SetTimes(dir.File("arc/a.txt"), 1000000000));
        ASSERT_TRUE(TempDir::SetTimes(dir.File("arc/b.txt"), 1000000000));
        ASSERT_TRUE(TempDir::SetTimes(dir.File("arc/c.txt"), 2000000000));
        WriteManager({"a.txt", "b.txt", "c.txt"});
    }

    void WriteManager(const std::vector<std::string>& names,
                      const std::string& archiveFolder = "") {
        std::vector<ManagerRecord> records;
        for (const std::string& name : names) {
            records.push_back(
                {dir.File("src/" + name),
                 (archiveFolder.empty() ? dir.File("arc") : archiveFolder) + "/" + name,
                 "notes of " + name});
        }
        dir.Write("m.bak", EncodeManager(records));
    }

    TempDir dir;
};

TEST_F(CliOperationsTest, BackupCopiesOnceThenLeavesEverythingAlone) {
    const CliRun first = Cli(dir, {"backup", "m.bak"});
    EXPECT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(first.out,
              "1  File was up to date.\n\n2  Files were backed up.\n\n0  Files were skipped.\n\n"
              "0  Files have problems. (see Results)\n" +
                  std::string(42, '-') + "\n3  total files\n");
    EXPECT_EQ(first.err, "") << "no progress line when stderr is not a terminal";
    EXPECT_EQ(TempDir::Read(dir.File("arc/a.txt")), "data a.txt");
    EXPECT_EQ(TempDir::Read(dir.File("arc/b.txt")), "data b.txt");
    EXPECT_EQ(ModifiedNs(dir.File("arc/a.txt")), 2000000000LL * 1000000000);
    const std::string saved = TempDir::Read(dir.File("m.bak"));
    ASSERT_EQ(DecodeManager(saved).records.size(), 3u);

    ASSERT_TRUE(TempDir::SetTimes(dir.File("m.bak"), 1500000000, 123));
    const CliRun second = Cli(dir, {"backup", "m.bak"});
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_TRUE(Contains(second.out, "3  Files were up to date."));
    EXPECT_TRUE(Contains(second.out, "0  Files were backed up."));
    EXPECT_EQ(ModifiedNs(dir.File("m.bak")), 1500000000LL * 1000000000 + 123)
        << "nothing was copied, so the manager is not written";
    EXPECT_EQ(TempDir::Read(dir.File("m.bak")), saved);
}

TEST_F(CliOperationsTest, UnreachableArchiveFolderIsAProblem) {
    WriteManager({"a.txt", "c.txt"}, dir.File("gone/deeper"));
    const CliRun run = Cli(dir, {"backup", "m.bak"});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_TRUE(Contains(run.out, "0  Files were backed up.")) << run.out;
    EXPECT_TRUE(Contains(run.out, "2  Files have problems. (see Results)")) << run.out;
    EXPECT_FALSE(Exists(dir.File("gone")));

    const CliRun status = Cli(dir, {"status", "m.bak"});
    EXPECT_EQ(status.exitCode, 1);
    EXPECT_TRUE(Contains(status.out, "No such file or directory")) << status.out;
}

TEST_F(CliOperationsTest, DryRunNamesTheCopiesAndChangesNothing) {
    const std::string before = TempDir::Read(dir.File("m.bak"));
    const CliRun run = Cli(dir, {"backup", "m.bak", "--dry-run"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    // The count is in would-form: nothing was backed up.
    EXPECT_EQ(run.out, "would copy " + dir.File("src/a.txt") + " -> " + dir.File("arc/a.txt") +
                           "\nwould copy " + dir.File("src/b.txt") + " -> " +
                           dir.File("arc/b.txt") + "\n2 files would be backed up.\n");
    EXPECT_EQ(TempDir::Read(dir.File("arc/a.txt")), "old");
    EXPECT_EQ(TempDir::Read(dir.File("m.bak")), before);

    WriteManager({"a.txt", "c.txt"});
    EXPECT_TRUE(Cli(dir, {"backup", "--dry-run", "m.bak"})
                    .out.ends_with(dir.File("arc/a.txt") + "\n1 file would be backed up.\n"));
}

TEST_F(CliOperationsTest, QuietPrintsOnlyFailures) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"-q", "backup", "m.bak", "--dry-run"}, {"--quiet", "status", "m.bak"}}) {
        const CliRun run = Cli(dir, args);
        EXPECT_EQ(run.out, "") << args[1];
        EXPECT_EQ(run.err, "") << args[1];
    }
    EXPECT_EQ(Cli(dir, {"status", "m.bak", "-q"}).exitCode, 1) << "the exit code stays";
    const CliRun backup = Cli(dir, {"backup", "m.bak", "--quiet"});
    EXPECT_EQ(backup.exitCode, 0) << backup.err;
    EXPECT_EQ(backup.out + backup.err, "");
    EXPECT_EQ(TempDir::Read(dir.File("arc/a.txt")), "data a.txt");
    const CliRun restore = Cli(dir, {"-q", "restore", "m.bak", "1"});
    EXPECT_EQ(restore.exitCode, 0) << restore.err;
    EXPECT_EQ(restore.out + restore.err, "");
    EXPECT_NE(Cli(dir, {"-q", "list", "m.bak"}).out, "") << "list ignores -q";

    // Failures are still named, one line each, and still fail the run.
    ASSERT_EQ(std::remove(dir.File("src/b.txt").c_str()), 0);
    const std::string problem =
        "brackenhold-cli: " + dir.File("src/b.txt") + ": No such file or directory\n";
    const CliRun failed = Cli(dir, {"-q", "backup", "m.bak"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(failed.err, problem);
    const CliRun status = Cli(dir, {"status", "-q", "m.bak"});
    EXPECT_EQ(status.exitCode, 1);
    EXPECT_EQ(status.out, "");
    EXPECT_EQ(status.err, problem);
}

TEST_F(CliOperationsTest, VerboseNamesEachFileActedOn) {
    const CliRun backup = Cli(dir, {"-v", "backup", "m.bak"});
    EXPECT_EQ(backup.exitCode, 0) << backup.err;
    EXPECT_TRUE(backup.out.starts_with(
        "copied " + dir.File("src/a.txt") + " -> " + dir.File("arc/a.txt") + "\ncopied " +
        dir.File("src/b.txt") + " -> " + dir.File("arc/b.txt") + "\n1  File was up to date."))
        << backup.out;

    ASSERT_TRUE(TempDir::SetTimes(dir.File("src/c.txt"), 1000000000));
    const CliRun restore = Cli(dir, {"restore", "m.bak", "3", "--verbose"});
    EXPECT_EQ(restore.exitCode, 0) << restore.err;
    EXPECT_TRUE(restore.out.starts_with("restored " + dir.File("arc/c.txt") + " -> " +
                                        dir.File("src/c.txt") + "\n3\tRestored\n"))
        << restore.out;

    dir.Write("src/d.txt", "d");
    const CliRun add = Cli(dir, {"add", "-v", "m.bak", "src/d.txt"});
    EXPECT_EQ(add.exitCode, 0) << add.err;
    EXPECT_EQ(add.out, "added " + dir.File("src/d.txt") + " -> " + dir.File("d.txt") + "\n");

    const CliRun remove = Cli(dir, {"remove", "m.bak", "4", "2", "-v"});
    EXPECT_EQ(remove.exitCode, 0) << remove.err;
    EXPECT_EQ(remove.out, "removed 2: " + dir.File("src/b.txt") +
                              "\nremoved 4: " + dir.File("src/d.txt") + "\n");
}

TEST_F(CliOperationsTest, BadArgumentsAndUnreadableManagers) {
    dir.Write("junk.bak", "this is no manager at all");
    const CliRun junk = Cli(dir, {"backup", "junk.bak"});
    EXPECT_EQ(junk.exitCode, 2);
    EXPECT_TRUE(Contains(junk.err, "This is not a Backup file!")) << junk.err;
    EXPECT_EQ(junk.out, "");
    EXPECT_EQ(Cli(dir, {"backup", "missing.bak"}).exitCode, 2);
    EXPECT_EQ(Cli(dir, {"status", "junk.bak"}).exitCode, 2);

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"backup"},
             {"backup", "m.bak", "--fast"},
             {"status"},
             {"restore", "m.bak"},
             {"restore", "m.bak", "--all", "1"},
             {"restore", "m.bak", "0"},
             {"restore", "m.bak", "4"},
             {"restore", "m.bak", "x"},
             {"remove", "m.bak"},
             {"remove", "m.bak", "9"},
         }) {
        EXPECT_EQ(Cli(dir, args).exitCode, 2) << ::testing::PrintToString(args);
    }
    EXPECT_EQ(TempDir::Read(dir.File("src/a.txt")), "data a.txt");
}

TEST_F(CliOperationsTest, StatusPrintsTheListingAndTellsWhetherAllIsBackedUp) {
    const CliRun list = Cli(dir, {"list", "m.bak"});
    const CliRun before = Cli(dir, {"status", "m.bak"});
    EXPECT_EQ(before.exitCode, 1);
    EXPECT_EQ(before.out, list.out);
    ASSERT_EQ(Cli(dir, {"backup", "m.bak"}).exitCode, 0);
    const CliRun after = Cli(dir, {"status", "m.bak"});
    EXPECT_EQ(after.exitCode, 0) << after.out;
    EXPECT_EQ(after.out, Cli(dir, {"list", "m.bak"}).out);
}

TEST_F(CliOperationsTest, RestoreRowsWithCopiesAndFailures) {
    dir.Write("src/b[copy1].txt", "an older copy");
    const CliRun run = Cli(dir, {"restore", "m.bak", "2", "1", "--keep-copies"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
              "1\tRestored, Source Copy = a[copy1].txt\n"
              "2\tRestored, Source Copy = b[copy2].txt\n"
              "2 Files were restored\n2 Copies were made\n");
    EXPECT_EQ(TempDir::Read(dir.File("src/a.txt")), "old");
    EXPECT_EQ(TempDir::Read(dir.File("src/a[copy1].txt")), "data a.txt");
    EXPECT_EQ(TempDir::Read(dir.File("src/b[copy2].txt")), "data b.txt");
    EXPECT_EQ(TempDir::Read(dir.File("src/c.txt")), "data c.txt");

    ASSERT_EQ(std::remove(dir.File("arc/c.txt").c_str()), 0);
    const CliRun all = Cli(dir, {"restore", "m.bak", "--all"});
    EXPECT_EQ(all.exitCode, 1);
    EXPECT_TRUE(Contains(all.out, "3\tRestore Failed\n")) << all.out;
    EXPECT_TRUE(all.out.ends_with("2 Files were restored\n1 Restore Failed\n")) << all.out;
    EXPECT_TRUE(Contains(all.err, "Problem restoring file 3")) << all.err;
    EXPECT_EQ(TempDir::Read(dir.File("src/c.txt")), "data c.txt");
}

TEST_F(CliOperationsTest, RemoveRowsAndOptionallyTheirArchives) {
    const CliRun run = Cli(dir, {"remove", "m.bak", "3", "1", "--delete-archives"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const ManagerReadResult read = DecodeManager(TempDir::Read(dir.File("m.bak")));
    ASSERT_EQ(read.records.size(), 1u);
    EXPECT_EQ(read.records[0].sourcePath, dir.File("src/b.txt"));
    EXPECT_EQ(read.records[0].notes, "notes of b.txt");
    EXPECT_FALSE(Exists(dir.File("arc/a.txt")));
    EXPECT_FALSE(Exists(dir.File("arc/c.txt")));
    EXPECT_TRUE(Exists(dir.File("src/a.txt")));

    ASSERT_EQ(Cli(dir, {"remove", "m.bak", "1"}).exitCode, 0);
    EXPECT_TRUE(DecodeManager(TempDir::Read(dir.File("m.bak"))).records.empty());
    EXPECT_TRUE(Exists(dir.File("arc/b.txt")));
}

// add, import and remove open the manager without looking at its entries' files: what they
// save and print must be what an evaluating open would have given.
TEST_F(CliOperationsTest, ListChangesSaveTheSameBytesWithoutEvaluatingTheEntries) {
    std::vector<ManagerRecord> records;
    for (int i = 0; i < 300; ++i) {
        // Entries whose files are gone would be problems after an evaluation; nothing of that
        // reaches the file.
        records.push_back({dir.File("gone/" + std::to_string(i)),
                           dir.File("arc/g" + std::to_string(i)), "note " + std::to_string(i)});
    }
    dir.Write("m.bak", EncodeManager(records));
    dir.Write("src/new.txt", "new");
    CliRun run = Cli(dir, {"add", "m.bak", "src/new.txt"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    records.push_back({dir.File("src/new.txt"), dir.File("new.txt"), ""});
    EXPECT_EQ(TempDir::Read(dir.File("m.bak")), EncodeManager(records));

    run = Cli(dir, {"remove", "m.bak", "2", "300"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    records.erase(records.begin() + 299);
    records.erase(records.begin() + 1);
    EXPECT_EQ(TempDir::Read(dir.File("m.bak")), EncodeManager(records));

    // An imported entry whose archive an existing entry uses is named as a problem.
    dir.Write("other.bak", EncodeManager(std::vector<ManagerRecord>{
                               {dir.File("src/a.txt"), dir.File("arc/g0"), "o"}}));
    run = Cli(dir, {"import", "m.bak", "other.bak"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(run.err, dir.File("arc/g0"))) << run.err;
    records.push_back({dir.File("src/a.txt"), dir.File("arc/g0"), "o"});
    EXPECT_EQ(TempDir::Read(dir.File("m.bak")), EncodeManager(records));

    // The next command that shows the entries evaluates them.
    run = Cli(dir, {"status", "m.bak"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.out, "No such file or directory")) << run.out;
}

}  // namespace
}  // namespace bh
